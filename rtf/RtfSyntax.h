#pragma once
// The RTF syntax the renderer writes, in one place: keywords with their
// numbers, twips, escaped texts and font names, hexadecimal picture data.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/CodePage.h"

namespace tal::rtf {

// Inches to whole twips, rounded half to even and kept inside 32 bits, so
// that a huge or NaN coordinate still gives a number every reader accepts.
std::int32_t Twips(double inches);

// Appends the decimal digits of value (no locale is involved).
void AppendNumber(std::string& out, std::int64_t value);
// Keyword immediately followed by the decimal value: "\dpx1440".
std::string Keyword(std::string_view keyword, std::int64_t value);

// Text for the body of a text box: "\", "{" and "}" are preceded by "\";
// every other byte, control characters and bytes from 128 up included,
// stands as it is.
std::string EscapedText(std::string_view text);
// Text in a double-byte code page: each two-byte character is written as
// \'ll\'tt, so a trail byte that is a brace or backslash stays part of its
// character; single bytes are escaped as in EscapedText.
std::string EscapedDoubleByteText(std::string_view text, TCodePage codePage);

// A name for the font table: escaped like text, and without ";", which
// would end the table entry early.
std::string FontTableName(std::string_view name);

// Two upper-case hexadecimal digits per byte, CR LF after every 32nd byte.
std::string HexLines(const std::uint8_t* data, std::size_t size);

// Only the letters a to z are upper-cased, as font names are compared.
std::string UpperAscii(std::string_view text);

}  // namespace tal::rtf
