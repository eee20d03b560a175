#pragma once
// The body of an RTF document while its pages are converted: a list of large
// blocks filled one after another and written out in order at document end.
// A body of a hundred megabytes is never moved or copied while it grows, and
// numbers are formatted straight into the block that holds them.
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Stream.h"

namespace tal::rtf {

class TBody {
public:
    // Blocks are this large (a run of huge pages where the system offers
    // them); a report of one page touches only the start of its first block.
    static constexpr std::size_t BlockSize = std::size_t{4} << 20;

    TBody() = default;
    TBody(const TBody&) = delete;
    TBody& operator=(const TBody&) = delete;

    void Append(std::string_view s) {
        if (s.size() <= static_cast<std::size_t>(FEnd - FNext)) {
            if (!s.empty()) std::memcpy(FNext, s.data(), s.size());
            FNext += s.size();
        } else {
            AppendAcrossBlocks(s);
        }
    }
    void Append(char c) {
        if (FNext == FEnd) NewBlock();
        *FNext++ = c;
    }
    // The decimal digits of value, with a minus sign when negative.
    void AppendNumber(std::int64_t value) {
        if (FEnd - FNext >= MaxDigits) {
            FNext = std::to_chars(FNext, FEnd, value).ptr;
        } else {
            char digits[MaxDigits];
            const auto result = std::to_chars(digits, digits + MaxDigits, value);
            Append(std::string_view(digits, static_cast<std::size_t>(result.ptr - digits)));
        }
    }

    std::int64_t Size() const;
    // Every byte in order, one write per block.
    void WriteTo(TStream& out) const;
    // Every byte as one text (for inspection; a copy of the whole body).
    std::string Text() const;

private:
    static constexpr std::ptrdiff_t MaxDigits = 24;
    // A block is mapped memory of its own, returned to the system whole.
    struct TUnmap {
        std::size_t Capacity = 0;
        void operator()(char* start) const;
    };
    using TBlock = std::unique_ptr<char, TUnmap>;
    void NewBlock();
    void AppendAcrossBlocks(std::string_view s);
    // The bytes used of block i.
    std::size_t Used(std::size_t i) const;

    std::vector<TBlock> FBlocks;
    char* FNext = nullptr;
    char* FEnd = nullptr;
};

}  // namespace tal::rtf
