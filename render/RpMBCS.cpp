#include "render/RpMBCS.h"

#include <cstdint>

namespace tal {

const char* NextChar(const char* p, TCodePage codePage) {
    if (*p == '\0') return p;
    if (IsLeadByte(static_cast<std::uint8_t>(*p), codePage) && p[1] != '\0') return p + 2;
    return p + 1;
}

std::size_t NextCharIndex(std::string_view text, std::size_t i, TCodePage codePage) {
    if (i >= text.size()) return text.size();
    if (IsLeadByte(static_cast<std::uint8_t>(text[i]), codePage) && i + 1 < text.size()) return i + 2;
    return i + 1;
}

namespace {

// Byte offset of the character with the given 1-based index, or npos when the
// text holds fewer characters.
std::size_t OffsetOfChar(std::string_view s, int index, TCodePage codePage) {
    std::size_t offset = 0;
    for (int c = 1; c < index; ++c) {
        if (offset >= s.size()) return std::string_view::npos;
        offset = NextCharIndex(s, offset, codePage);
    }
    return offset < s.size() ? offset : std::string_view::npos;
}

std::size_t AdvanceChars(std::string_view s, std::size_t offset, int count, TCodePage codePage) {
    for (int c = 0; c < count && offset < s.size(); ++c) offset = NextCharIndex(s, offset, codePage);
    return offset;
}

}  // namespace

std::string MBCSCopy(std::string_view s, int index, int count, TCodePage codePage) {
    if (s.empty() || count <= 0) return {};
    if (index < 1) index = 1;
    const std::size_t start = OffsetOfChar(s, index, codePage);
    if (start == std::string_view::npos) return {};
    const std::size_t end = AdvanceChars(s, start, count, codePage);
    return std::string(s.substr(start, end - start));
}

void MBCSDelete(std::string& s, int index, int count, TCodePage codePage) {
    if (s.empty() || count <= 0) return;
    if (index < 1) index = 1;
    const std::size_t start = OffsetOfChar(s, index, codePage);
    if (start == std::string_view::npos) return;
    const std::size_t end = AdvanceChars(s, start, count, codePage);
    s.erase(start, end - start);
}

}  // namespace tal
