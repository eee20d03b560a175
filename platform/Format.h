#pragma once
// Printf-like formatting that never consults the C locale, so that numbers
// written into documents always use "." whatever the user's settings are.
// Supported directives: %s %d %i %u %x %X %c %f %e %g with flags "-0+ ",
// width and precision (also "*"), and %%.
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

namespace tal {

class FormatArg {
public:
    enum class Kind { Integer, Unsigned, Real, Text };
    FormatArg(int v) : FKind(Kind::Integer), FInt(v) {}
    FormatArg(long v) : FKind(Kind::Integer), FInt(v) {}
    FormatArg(long long v) : FKind(Kind::Integer), FInt(v) {}
    FormatArg(unsigned v) : FKind(Kind::Unsigned), FUInt(v) {}
    FormatArg(unsigned long v) : FKind(Kind::Unsigned), FUInt(v) {}
    FormatArg(unsigned long long v) : FKind(Kind::Unsigned), FUInt(v) {}
    FormatArg(double v) : FKind(Kind::Real), FReal(v) {}
    FormatArg(const char* v) : FKind(Kind::Text), FText(v) {}
    FormatArg(std::string_view v) : FKind(Kind::Text), FText(v) {}
    FormatArg(const std::string& v) : FKind(Kind::Text), FText(v) {}

    Kind GetKind() const { return FKind; }
    std::int64_t AsInteger() const;
    double AsReal() const;
    std::string_view AsText() const { return FText; }

private:
    Kind FKind;
    std::int64_t FInt = 0;
    std::uint64_t FUInt = 0;
    double FReal = 0;
    std::string_view FText;
};

// Formats fmt with args. A directive without a matching argument, or with an
// argument of the wrong kind, raises EConvertError (as the platform's Format does).
std::string Format(std::string_view fmt, std::initializer_list<FormatArg> args);
// The same over an argument list built at run time.
std::string Format(std::string_view fmt, std::span<const FormatArg> args);

// Fixed-point text of v with the given number of decimals, "." as separator.
std::string FormatFixed(double v, int decimals);

}  // namespace tal
