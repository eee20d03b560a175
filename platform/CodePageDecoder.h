#pragma once
// Report text in a Windows code page other than 1252, decoded into Unicode
// characters through the C library's converters (iconv), the counterpart of
// the system's MultiByteToWideChar.
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/CodePage.h"

namespace tal {

// What an undefined byte or byte pair of a code page stands for.
inline constexpr char32_t ReplacementCharacter = 0xFFFD;

class TCodePageDecoder {
public:
    // The characters of text, one per report character: in a double-byte
    // code page a lead byte and the byte after it are one character. Bytes
    // the code page leaves undefined, and a lead byte that ends the text,
    // give ReplacementCharacter. A code page the C library cannot convert
    // decodes as Windows-1252.
    std::u32string Decode(std::string_view text, TCodePage codePage);

private:
    // Every character of a code page, indexed by its byte, or by lead byte
    // * 256 + trail byte for a two-byte character; built once per code page.
    const std::vector<char32_t>& Table(TCodePage codePage);
    std::map<TCodePage, std::vector<char32_t>> FTables;
};

}  // namespace tal
