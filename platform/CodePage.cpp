#include "platform/CodePage.h"

namespace tal {

char UpperCase1252(char c) {
    const auto b = static_cast<std::uint8_t>(c);
    if (b >= 'a' && b <= 'z') return static_cast<char>(b - 32);
    if (b >= 0xE0 && b <= 0xFE && b != 0xF7) return static_cast<char>(b - 32);
    switch (b) {
        case 0x9A: return static_cast<char>(0x8A);  // s caron
        case 0x9C: return static_cast<char>(0x8C);  // oe
        case 0x9E: return static_cast<char>(0x8E);  // z caron
        case 0xFF: return static_cast<char>(0x9F);  // y diaeresis
        default: return c;
    }
}

std::string UpperCase1252(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = UpperCase1252(c);
    return out;
}

bool SameText1252(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (UpperCase1252(a[i]) != UpperCase1252(b[i])) return false;
    return true;
}

TCodePage CodePageOfCharset(std::uint8_t charset) {
    switch (charset) {
        case 128: return CP_SHIFT_JIS;  // SHIFTJIS_CHARSET
        case 129: return CP_KOREAN;     // HANGEUL_CHARSET
        case 130: return 1361;          // JOHAB_CHARSET
        case 134: return CP_GBK;        // GB2312_CHARSET
        case 136: return CP_BIG5;       // CHINESEBIG5_CHARSET
        case 161: return 1253;          // GREEK_CHARSET
        case 162: return 1254;          // TURKISH_CHARSET
        case 163: return 1258;          // VIETNAMESE_CHARSET
        case 177: return 1255;          // HEBREW_CHARSET
        case 178: return 1256;          // ARABIC_CHARSET
        case 186: return 1257;          // BALTIC_CHARSET
        case 204: return 1251;          // RUSSIAN_CHARSET
        case 222: return 874;           // THAI_CHARSET
        case 238: return 1250;          // EASTEUROPE_CHARSET
        default: return 0;
    }
}

const char* LanguageOfCodePage(TCodePage codePage) {
    switch (codePage) {
        case 874: return "th";
        case CP_SHIFT_JIS: return "ja";
        case CP_GBK: return "zh-cn";
        case CP_KOREAN:
        case CP_JOHAB: return "ko";
        case CP_BIG5: return "zh-tw";
        case 1250: return "pl";
        case 1251: return "ru";
        case 1253: return "el";
        case 1254: return "tr";
        case 1255: return "he";
        case 1256: return "ar";
        case 1257: return "lt";
        case 1258: return "vi";
        default: return "";
    }
}

char32_t Windows1252ToUnicode(std::uint8_t b) {
    static constexpr char32_t high[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    if (b >= 0x80 && b < 0xA0) return high[b - 0x80];
    return b;
}

}  // namespace tal
