#pragma once
// Checks the conversion fuzz targets make of a finished document: whatever
// the report, a document that was begun must come out whole.
#include <cstddef>
#include <string_view>

namespace tal::fuzzing {

// Braces balanced, skipping the raw bytes of \binN and escaped characters.
inline bool RtfBalanced(std::string_view rtf) {
    long depth = 0;
    for (std::size_t i = 0; i < rtf.size(); ++i) {
        if (rtf[i] == '\\') {
            if (rtf.substr(i, 4) == "\\bin") {
                std::size_t j = i + 4, count = 0;
                while (j < rtf.size() && rtf[j] >= '0' && rtf[j] <= '9') count = count * 10 + (rtf[j++] - '0');
                i = j + count;  // past the space and the raw bytes
            } else {
                ++i;
            }
        } else if (rtf[i] == '{') {
            ++depth;
        } else if (rtf[i] == '}' && --depth < 0) {
            return false;
        }
    }
    return depth == 0;
}

inline bool RtfWhole(std::string_view rtf) {
    return rtf.substr(0, 20) == "{\\rtf1\\ansi{\\fonttbl" && rtf.back() == '}' && RtfBalanced(rtf);
}

inline bool PdfWhole(std::string_view pdf) {
    return pdf.substr(0, 10) == "%PDF-1.3\r\n" && pdf.size() >= 7 && pdf.substr(pdf.size() - 7) == "%%EOF\r\n";
}

}  // namespace tal::fuzzing
