#include "platform/Format.h"

#include <charconv>
#include <cmath>
#include <vector>

#include "platform/Exception.h"

namespace tal {

std::int64_t FormatArg::AsInteger() const {
    switch (FKind) {
        case Kind::Integer: return FInt;
        case Kind::Unsigned: return static_cast<std::int64_t>(FUInt);
        default: throw EConvertError("Format: argument is not an integer");
    }
}

double FormatArg::AsReal() const {
    switch (FKind) {
        case Kind::Real: return FReal;
        case Kind::Integer: return static_cast<double>(FInt);
        case Kind::Unsigned: return static_cast<double>(FUInt);
        default: throw EConvertError("Format: argument is not a number");
    }
}

namespace {

struct Spec {
    bool left = false, zero = false, plus = false, space = false;
    int width = 0;
    int precision = -1;
    char conversion = 0;
};

std::string RealText(double v, char conversion, int precision) {
    if (std::isnan(v)) return "nan";
    if (std::isinf(v)) return v < 0 ? "-inf" : "inf";
    if (precision < 0) precision = 6;
    if (precision > 60) precision = 60;
    std::chars_format form = std::chars_format::fixed;
    if (conversion == 'e' || conversion == 'E') form = std::chars_format::scientific;
    if (conversion == 'g' || conversion == 'G') form = std::chars_format::general;
    char buffer[400];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, v, form, precision);
    return std::string(buffer, result.ptr);
}

std::string IntegerText(std::int64_t v, char conversion) {
    char buffer[32];
    if (conversion == 'x' || conversion == 'X') {
        auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<std::uint32_t>(v), 16);
        std::string text(buffer, result.ptr);
        if (conversion == 'X')
            for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return text;
    }
    if (conversion == 'u') {
        auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<std::uint64_t>(v));
        return std::string(buffer, result.ptr);
    }
    auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
    return std::string(buffer, result.ptr);
}

void Pad(std::string& out, std::string body, const Spec& spec) {
    const bool numeric = spec.conversion != 's' && spec.conversion != 'c';
    if (numeric && body.size() && body[0] != '-') {
        if (spec.plus) body.insert(body.begin(), '+');
        else if (spec.space) body.insert(body.begin(), ' ');
    }
    const int fill = spec.width - static_cast<int>(body.size());
    if (fill <= 0) {
        out += body;
    } else if (spec.left) {
        out += body;
        out.append(static_cast<std::size_t>(fill), ' ');
    } else if (spec.zero && numeric) {
        std::size_t sign = (body[0] == '-' || body[0] == '+' || body[0] == ' ') ? 1 : 0;
        out.append(body, 0, sign);
        out.append(static_cast<std::size_t>(fill), '0');
        out.append(body, sign);
    } else {
        out.append(static_cast<std::size_t>(fill), ' ');
        out += body;
    }
}

}  // namespace

std::string Format(std::string_view fmt, std::initializer_list<FormatArg> args) {
    return Format(fmt, std::span<const FormatArg>(args.begin(), args.size()));
}

std::string Format(std::string_view fmt, std::span<const FormatArg> args) {
    std::string out;
    out.reserve(fmt.size() + 16);
    const FormatArg* next = args.data();
    const FormatArg* const last = args.data() + args.size();
    auto take = [&]() -> const FormatArg& {
        if (next == last) throw EConvertError("Format '" + std::string(fmt) + "' invalid or incompatible with argument");
        return *next++;
    };
    for (std::size_t i = 0; i < fmt.size(); ++i) {
        const char c = fmt[i];
        if (c != '%') {
            out += c;
            continue;
        }
        if (++i >= fmt.size()) break;
        if (fmt[i] == '%') {
            out += '%';
            continue;
        }
        Spec spec;
        for (; i < fmt.size(); ++i) {
            const char f = fmt[i];
            if (f == '-') spec.left = true;
            else if (f == '0') spec.zero = true;
            else if (f == '+') spec.plus = true;
            else if (f == ' ') spec.space = true;
            else break;
        }
        if (i < fmt.size() && fmt[i] == '*') {
            spec.width = static_cast<int>(take().AsInteger());
            ++i;
        }
        while (i < fmt.size() && fmt[i] >= '0' && fmt[i] <= '9') spec.width = spec.width * 10 + (fmt[i++] - '0');
        if (i < fmt.size() && fmt[i] == '.') {
            ++i;
            spec.precision = 0;
            if (i < fmt.size() && fmt[i] == '*') {
                spec.precision = static_cast<int>(take().AsInteger());
                ++i;
            }
            while (i < fmt.size() && fmt[i] >= '0' && fmt[i] <= '9') spec.precision = spec.precision * 10 + (fmt[i++] - '0');
        }
        while (i < fmt.size() && (fmt[i] == 'l' || fmt[i] == 'h' || fmt[i] == 'z')) ++i;
        if (i >= fmt.size()) break;
        spec.conversion = fmt[i];
        switch (spec.conversion) {
            case 'd': case 'i': case 'u': case 'x': case 'X':
                Pad(out, IntegerText(take().AsInteger(), spec.conversion), spec);
                break;
            case 'f': case 'F': case 'e': case 'E': case 'g': case 'G':
                Pad(out, RealText(take().AsReal(), spec.conversion, spec.precision), spec);
                break;
            case 'c':
                Pad(out, std::string(1, static_cast<char>(take().AsInteger())), spec);
                break;
            case 's': {
                const FormatArg& arg = take();
                std::string text = arg.GetKind() == FormatArg::Kind::Text ? std::string(arg.AsText())
                                   : arg.GetKind() == FormatArg::Kind::Real ? RealText(arg.AsReal(), 'g', -1)
                                                                            : IntegerText(arg.AsInteger(), 'd');
                if (spec.precision >= 0 && text.size() > static_cast<std::size_t>(spec.precision))
                    text.resize(static_cast<std::size_t>(spec.precision));
                Pad(out, std::move(text), spec);
                break;
            }
            default:
                throw EConvertError("Format '" + std::string(fmt) + "' invalid or incompatible with argument");
        }
    }
    return out;
}

std::string FormatFixed(double v, int decimals) { return RealText(v, 'f', decimals); }

}  // namespace tal
