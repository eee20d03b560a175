#include "pdf/PdfByteArena.h"

#include <sys/mman.h>

#include <algorithm>
#include <new>

namespace tal::pdf {

namespace {

// The first block is small, so that a short document costs little; each one
// after is twice the last, up to MaxGrowth.
constexpr std::size_t FirstBlockSize = std::size_t {1} << 20;
constexpr std::size_t MaxGrowth = std::size_t {32} << 20;
constexpr std::size_t PageSize = 4096;

}  // namespace

// Anonymous memory of its own, returned to the system when the block goes.
class TByteArena::TBlock {
public:
    explicit TBlock(std::size_t size) : FSize((size + PageSize - 1) / PageSize * PageSize) {
        void* p = ::mmap(nullptr, FSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED) throw std::bad_alloc();
        FData = static_cast<char*>(p);
        // Fewer page faults: a block of many megabytes is written from end
        // to end anyway.
        if (FSize >= (std::size_t {4} << 20)) ::madvise(FData, FSize, MADV_HUGEPAGE);
    }
    ~TBlock() { ::munmap(FData, FSize); }
    TBlock(const TBlock&) = delete;
    TBlock& operator=(const TBlock&) = delete;

    char* Begin() const { return FData; }
    char* End() const { return FData + FSize; }
    std::size_t Size() const { return FSize; }

private:
    std::size_t FSize;
    char* FData = nullptr;
};

TByteArena::TByteArena() = default;
TByteArena::~TByteArena() = default;

void TByteArena::ClosePiece() {
    if (FRunSpans && FCursor != FRunStart)
        FRunSpans->push_back({FRunStart, static_cast<std::size_t>(FCursor - FRunStart)});
    FRunStart = FCursor;
}

void TByteArena::BeginRun(std::vector<TByteSpan>& Spans) {
    EndRun();
    FRunSpans = &Spans;
    FRunStart = FCursor;
}

void TByteArena::EndRun() {
    ClosePiece();
    FRunSpans = nullptr;
}

void TByteArena::NextBlock(std::size_t Size) {
    ClosePiece();
    const std::size_t last = FBlocks.empty() ? FirstBlockSize / 2 : FBlocks.back()->Size();
    const std::size_t size = std::max(Size, std::min(last * 2, MaxGrowth));
    FBlocks.push_back(std::make_unique<TBlock>(size));
    FCursor = FRunStart = FBlocks.back()->Begin();
    FLimit = FBlocks.back()->End();
}

void TByteArena::Rewind() {
    EndRun();
    if (FBlocks.empty()) return;
    FBlocks.erase(FBlocks.begin(), FBlocks.end() - 1);
    FCursor = FRunStart = FBlocks.back()->Begin();
    FLimit = FBlocks.back()->End();
}

void TByteArena::Release() {
    EndRun();
    FBlocks.clear();
    FCursor = FLimit = FRunStart = nullptr;
}

std::size_t TByteArena::Capacity() const {
    std::size_t total = 0;
    for (const auto& block : FBlocks) total += block->Size();
    return total;
}

}  // namespace tal::pdf
