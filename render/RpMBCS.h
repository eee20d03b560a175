#pragma once
// Multi-byte-aware string routines: a lead byte and its trail byte count as
// one character. Positions and counts are in characters, 1-based.
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/CodePage.h"

namespace tal {

// Steps one character forward in a zero-terminated text; never past the terminator.
const char* NextChar(const char* p, TCodePage codePage = CP_WINDOWS_1252);
// Byte index of the character after the one at byte index i of text.
std::size_t NextCharIndex(std::string_view text, std::size_t i, TCodePage codePage = CP_WINDOWS_1252);

// At most count characters of s from character index on.
std::string MBCSCopy(std::string_view s, int index, int count, TCodePage codePage = CP_WINDOWS_1252);
// Removes at most count characters of s from character index on.
void MBCSDelete(std::string& s, int index, int count, TCodePage codePage = CP_WINDOWS_1252);

}  // namespace tal
