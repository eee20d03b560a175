#pragma once
// Every number and string that goes into a PDF file is formatted here: "."
// as the decimal separator whatever the locale, and never "nan" or "inf" (a
// coordinate the report gets wrong still gives a number a reader can parse).
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "platform/DateTime.h"
#include "platform/Format.h"
#include "platform/GraphicsObject.h"

namespace tal::pdf {

// The largest magnitude written for a real number; a reader's coordinate
// space is far smaller, but this keeps every value finite and parseable.
inline constexpr double MaxPdfReal = 1.0e9;

// A finite stand-in for v: NaN gives 0, values beyond MaxPdfReal (infinities
// included) are clamped to it.
double FinitePdfReal(double v);

inline FormatArg PdfArg(const FormatArg& arg) {
    return arg.GetKind() == FormatArg::Kind::Real ? FormatArg(FinitePdfReal(arg.AsReal())) : arg;
}

// The platform's Format with every real argument made finite first.
std::string FormatPDF(std::string_view fmt, std::span<const FormatArg> args);
std::string FormatPDF(std::string_view fmt, std::initializer_list<FormatArg> args);

// Fixed notation with four decimals ("%.4f"), the form of every coordinate.
std::string Fixed4(double v);

// A font size of at least four digits with leading zeros: 12 gives 0012.
std::string FontSizeText(std::int32_t points);

// The three colour fractions "R G B" ("%.3g" each); a negative colour
// (a system colour) is black.
std::string ColorToPDF(TColor color);

// YYYYMMDDHHMMSS of a local date and time.
std::string FormatPDFDate(const TDateTime& when);

// A literal string's bytes: "(", ")" and "\" get a backslash before them.
std::string EscapeText(std::string_view text);

// ---- the same texts written straight into a caller's buffer ----
// Each writes the very bytes of its std::string form above at out and
// returns the end of what it wrote; out must have room for the Max...Chars
// given (EscapeText's form needs twice the text's length).

// "-1000000000.0000": the longest coordinate FinitePdfReal lets through.
inline constexpr std::size_t MaxFixed4Chars = 16;
char* AppendFixed4(char* out, double v);

// "-2147483648" at most, never shorter than four digits.
inline constexpr std::size_t MaxFontSizeChars = 11;
char* AppendFontSizeText(char* out, std::int32_t points);

// Three components of at most five characters ("0.502") and two blanks;
// the room asked for is more, for whole eight-byte copies.
inline constexpr std::size_t MaxColorChars = 20;
char* AppendColor(char* out, TColor color);

inline constexpr std::size_t MaxIntegerChars = 20;
char* AppendInteger(char* out, std::int64_t v);

char* AppendEscapedText(char* out, std::string_view text);


}  // namespace tal::pdf
