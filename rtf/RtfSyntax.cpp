#include "rtf/RtfSyntax.h"

#include <charconv>

#include "render/RpRender.h"

namespace tal::rtf {

std::int32_t Twips(double inches) { return RoundToInt32(inches * 1440.0); }

void AppendNumber(std::string& out, std::int64_t value) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr);
}

std::string Keyword(std::string_view keyword, std::int64_t value) {
    std::string out(keyword);
    AppendNumber(out, value);
    return out;
}

std::string EscapedText(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (const char c : text) {
        if (c == '\\' || c == '{' || c == '}') out += '\\';
        out += c;
    }
    return out;
}

std::string EscapedDoubleByteText(std::string_view text, TCodePage codePage) {
    static constexpr char digits[] = "0123456789abcdef";
    auto hex = [](std::string& out, unsigned char b) {
        out += "\\'";
        out += digits[b >> 4];
        out += digits[b & 0x0F];
    };
    std::string out;
    out.reserve(text.size() * 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (IsLeadByte(b, codePage) && i + 1 < text.size()) {
            hex(out, b);
            hex(out, static_cast<unsigned char>(text[++i]));
        } else if (b >= 0x80) {
            hex(out, b);  // a lone lead byte at the end, or a single-byte character
        } else {
            if (b == '\\' || b == '{' || b == '}') out += '\\';
            out += static_cast<char>(b);
        }
    }
    return out;
}

std::string FontTableName(std::string_view name) {
    std::string kept;
    kept.reserve(name.size());
    for (const char c : name)
        if (c != ';') kept += c;
    return EscapedText(kept);
}

std::string HexLines(const std::uint8_t* data, std::size_t size) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out(size * 2 + (size / 32) * 2, '\0');
    char* at = out.data();
    for (std::size_t i = 0; i < size; ++i) {
        *at++ = digits[data[i] >> 4];
        *at++ = digits[data[i] & 0x0F];
        if ((i + 1) % 32 == 0) {
            *at++ = '\r';
            *at++ = '\n';
        }
    }
    return out;
}

std::string UpperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

}  // namespace tal::rtf
