#include "pdf/PdfFormat.h"

#include <cmath>
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

}  // namespace tal::pdf
