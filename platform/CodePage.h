#pragma once
// Code pages of report text. Report bytes are Windows-1252; the double-byte
// code pages are recognised by their lead-byte ranges.
#include <cstdint>
#include <string>
#include <string_view>

namespace tal {

using TCodePage = int;
inline constexpr TCodePage CP_WINDOWS_1252 = 1252;
inline constexpr TCodePage CP_SHIFT_JIS = 932;
inline constexpr TCodePage CP_GBK = 936;
inline constexpr TCodePage CP_KOREAN = 949;
inline constexpr TCodePage CP_BIG5 = 950;
inline constexpr TCodePage CP_JOHAB = 1361;

// True when b starts a two-byte character in the code page.
constexpr bool IsLeadByte(std::uint8_t b, TCodePage codePage) {
    switch (codePage) {
        case CP_SHIFT_JIS: return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        case CP_GBK:
        case CP_KOREAN:
        case CP_BIG5: return b >= 0x81 && b <= 0xFE;
        case CP_JOHAB: return (b >= 0x84 && b <= 0xD3) || (b >= 0xD8 && b <= 0xDE) || (b >= 0xE0 && b <= 0xF9);
        default: return false;
    }
}

// True for the code pages whose characters may take two bytes.
constexpr bool IsDoubleByteCodePage(TCodePage codePage) {
    return codePage == CP_SHIFT_JIS || codePage == CP_GBK || codePage == CP_KOREAN || codePage == CP_BIG5 ||
           codePage == CP_JOHAB;
}

// Upper case of a Windows-1252 byte (letters with accents included).
char UpperCase1252(char c);
std::string UpperCase1252(std::string_view text);
// Case-insensitive comparison of Windows-1252 texts.
bool SameText1252(std::string_view a, std::string_view b);

// The Windows code page of a font record's charset byte: 204 (Russian)
// gives 1251, 128 (Shift-JIS) 932, and so on; 0 for the charsets whose text
// is the document's own Windows-1252 (ANSI, DEFAULT, and any charset without
// a code page of its own, such as SYMBOL or OEM).
TCodePage CodePageOfCharset(std::uint8_t charset);

// The language whose letters a code page carries, as fontconfig names it
// ("ru" for 1251, "ja" for 932); empty for a code page it does not know.
const char* LanguageOfCodePage(TCodePage codePage);

// The Unicode code point of a Windows-1252 byte (0 for the five unassigned bytes).
char32_t Windows1252ToUnicode(std::uint8_t b);

}  // namespace tal
