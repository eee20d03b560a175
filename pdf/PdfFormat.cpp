#include "pdf/PdfFormat.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <vector>

namespace tal::pdf {

double FinitePdfReal(double v) {
    if (std::isnan(v)) return 0.0;
    if (v > MaxPdfReal) return MaxPdfReal;
    if (v < -MaxPdfReal) return -MaxPdfReal;
    return v;
}

std::string FormatPDF(std::string_view fmt, std::span<const FormatArg> args) {
    bool allFinite = true;
    for (const FormatArg& arg : args)
        if (arg.GetKind() == FormatArg::Kind::Real && FinitePdfReal(arg.AsReal()) != arg.AsReal()) allFinite = false;
    if (allFinite) return Format(fmt, args);
    std::vector<FormatArg> finite;
    finite.reserve(args.size());
    for (const FormatArg& arg : args) finite.push_back(PdfArg(arg));
    return Format(fmt, std::span<const FormatArg>(finite));
}

std::string FormatPDF(std::string_view fmt, std::initializer_list<FormatArg> args) {
    return FormatPDF(fmt, std::span<const FormatArg>(args.begin(), args.size()));
}

std::string Fixed4(double v) { return FormatFixed(FinitePdfReal(v), 4); }

std::string FontSizeText(std::int32_t points) {
    std::string digits = Format("%d", {points < 0 ? -static_cast<long long>(points) : points});
    if (digits.size() < 4) digits.insert(0, 4 - digits.size(), '0');
    return points < 0 ? "-" + digits : digits;
}

std::string ColorToPDF(TColor color) {
    const std::uint32_t value = color < 0 ? 0u : static_cast<std::uint32_t>(color);
    const double r = (value & 0xFF) / 255.0;
    const double g = ((value >> 8) & 0xFF) / 255.0;
    const double b = ((value >> 16) & 0xFF) / 255.0;
    return Format("%.3g %.3g %.3g", {r, g, b});
}

std::string FormatPDFDate(const TDateTime& when) {
    return Format("%04d%02d%02d%02d%02d%02d", {when.Year, when.Month, when.Day, when.Hour, when.Minute, when.Second});
}

std::string EscapeText(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text) {
        if (c == '(' || c == ')' || c == '\\') out += '\\';
        out += c;
    }
    return out;
}

// ---- straight into a buffer ----

namespace {

// "00" .. "99": two digits a step.
constexpr std::array<char, 200> DigitPairs = [] {
    std::array<char, 200> pairs {};
    for (int i = 0; i < 100; ++i) {
        pairs[static_cast<std::size_t>(2 * i)] = static_cast<char>('0' + i / 10);
        pairs[static_cast<std::size_t>(2 * i + 1)] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}();

char* FourDigits(char* out, std::uint32_t v) {
    std::memcpy(out, &DigitPairs[2 * (v / 100)], 2);
    std::memcpy(out + 2, &DigitPairs[2 * (v % 100)], 2);
    return out + 4;
}

// The "%.3g" texts of the 256 values a colour component can take.
struct TComponentTexts {
    std::array<std::array<char, 8>, 256> Text {};
    std::array<std::uint8_t, 256> Size {};
};

const TComponentTexts& ComponentTexts() {
    static const TComponentTexts texts = [] {
        TComponentTexts t;
        for (std::size_t i = 0; i < 256; ++i) {
            char* first = t.Text[i].data();
            const auto result = std::to_chars(first, first + t.Text[i].size(), static_cast<double>(i) / 255.0,
                                              std::chars_format::general, 3);
            t.Size[i] = static_cast<std::uint8_t>(result.ptr - first);
        }
        return t;
    }();
    return texts;
}

char* AppendComponent(char* out, std::uint32_t component) {
    const TComponentTexts& texts = ComponentTexts();
    std::memcpy(out, texts.Text[component].data(), 8);
    return out + texts.Size[component];
}

}  // namespace

char* AppendFixed4(char* out, double v) {
    v = FinitePdfReal(v);
    // The sign of the value, also of -0 and of what rounds to 0, as "%.4f" has it.
    if (std::signbit(v)) {
        *out++ = '-';
        v = -v;
    }
    // The product lies within half a unit in its last place of the exact
    // one: below 2^44 that is under 0.001, so an integer within 0.49 of it
    // is the exact rounding; closer to a tie the exact formatter decides.
    const double scaled = v * 10000.0;
    const auto whole = static_cast<std::uint64_t>(scaled + 0.5);
    if (scaled - static_cast<double>(whole) > 0.49 || static_cast<double>(whole) - scaled > 0.49)
        return std::to_chars(out, out + MaxFixed4Chars, v, std::chars_format::fixed, 4).ptr;
    out = std::to_chars(out, out + MaxFixed4Chars, whole / 10000).ptr;
    *out++ = '.';
    return FourDigits(out, static_cast<std::uint32_t>(whole % 10000));
}

char* AppendFontSizeText(char* out, std::int32_t points) {
    std::uint32_t magnitude = static_cast<std::uint32_t>(points);
    if (points < 0) {
        *out++ = '-';
        magnitude = 0u - magnitude;
    }
    if (magnitude < 10000) return FourDigits(out, magnitude);
    return std::to_chars(out, out + MaxFontSizeChars, magnitude).ptr;
}

char* AppendColor(char* out, TColor color) {
    const std::uint32_t value = color < 0 ? 0u : static_cast<std::uint32_t>(color);
    out = AppendComponent(out, value & 0xFF);
    *out++ = ' ';
    out = AppendComponent(out, (value >> 8) & 0xFF);
    *out++ = ' ';
    return AppendComponent(out, (value >> 16) & 0xFF);
}

char* AppendInteger(char* out, std::int64_t v) { return std::to_chars(out, out + MaxIntegerChars, v).ptr; }

char* AppendEscapedText(char* out, std::string_view text) {
    for (char c : text) {
        if (c == '(' || c == ')' || c == '\\') *out++ = '\\';
        *out++ = c;
    }
    return out;
}

}  // namespace tal::pdf
