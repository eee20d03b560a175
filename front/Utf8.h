#pragma once
// Stepping through UTF-8 text one character at a time, without trusting it:
// a stray or truncated byte is a character of its own that is not valid.
#include <cstddef>
#include <string_view>

namespace tal::front {

struct TUtf8Char {
    char32_t Code = 0;
    std::size_t Length = 1;
    bool Valid = false;
};

TUtf8Char NextUtf8Char(std::string_view text, std::size_t at);

// Number of characters (stray bytes count as one each).
std::size_t Utf8Length(std::string_view text);

}  // namespace tal::front
