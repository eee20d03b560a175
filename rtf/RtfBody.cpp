#include "rtf/RtfBody.h"

#include <sys/mman.h>

#include <algorithm>
#include <new>

namespace tal::rtf {

void TBody::TUnmap::operator()(char* start) const { ::munmap(start, Capacity); }

void TBody::NewBlock() {
    void* start = ::mmap(nullptr, BlockSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (start == MAP_FAILED) throw std::bad_alloc();
    TBlock block(static_cast<char*>(start), TUnmap {BlockSize});
    // Huge pages spare the body most of its page faults; the system may
    // refuse them, and then the block is simply made of small pages.
#ifdef MADV_HUGEPAGE
    ::madvise(start, BlockSize, MADV_HUGEPAGE);
#endif
    FBlocks.push_back(std::move(block));
    FNext = FBlocks.back().get();
    FEnd = FNext + BlockSize;
}

void TBody::AppendAcrossBlocks(std::string_view s) {
    while (!s.empty()) {
        if (FNext == FEnd) NewBlock();
        const std::size_t part = std::min(s.size(), static_cast<std::size_t>(FEnd - FNext));
        std::memcpy(FNext, s.data(), part);
        FNext += part;
        s.remove_prefix(part);
    }
}

// Every block before the last is full.
std::size_t TBody::Used(std::size_t i) const {
    return i + 1 < FBlocks.size() ? FBlocks[i].get_deleter().Capacity
                                  : static_cast<std::size_t>(FNext - FBlocks[i].get());
}

std::int64_t TBody::Size() const {
    std::int64_t size = 0;
    for (std::size_t i = 0; i < FBlocks.size(); ++i) size += static_cast<std::int64_t>(Used(i));
    return size;
}

void TBody::WriteTo(TStream& out) const {
    for (std::size_t i = 0; i < FBlocks.size(); ++i)
        if (const std::size_t used = Used(i)) out.Write(FBlocks[i].get(), used);
}

std::string TBody::Text() const {
    std::string text;
    text.reserve(static_cast<std::size_t>(Size()));
    for (std::size_t i = 0; i < FBlocks.size(); ++i) text.append(FBlocks[i].get(), Used(i));
    return text;
}

}  // namespace tal::rtf
