#pragma once
// Text rules every front-end message follows.
#include <cstddef>
#include <string>
#include <string_view>

namespace tal::front {

// Texts shown in message boxes are limited to this many characters.
inline constexpr std::size_t MaxTextLength = 255;

// Line feed, carriage return, line feed, carriage return: what stands
// between the parts of a multi-line message.
inline constexpr std::string_view ParagraphBreak = "\n\r\n\r";

// The first 255 characters of text. A character is a UTF-8 sequence (or a
// stray byte), so a cut never splits one.
std::string CutText(std::string_view text);

}  // namespace tal::front
