#pragma once
// A report in five scripts, each in the code page of its font record's
// charset, shared by the checks that read the PDF and the RTF documents back
// through real readers: both must give every line back as written.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/ndrwriter/NdrWriter.h"

namespace tal::testing {

struct TScriptLine {
    const char* Language;
    std::uint8_t Charset;
    const char* Face;   // the report's face: installed, an alias or missing
    std::string Bytes;  // in the charset's code page
    std::string Utf8;   // the same text
};

// Russian (1251) in Arial, Greek (1253) in Times New Roman, Polish (1250) in
// Verdana (not installed), Japanese (932) in MS Gothic and Chinese (936) in
// SimSun (neither installed, and their substitutes have no such letters).
inline std::vector<TScriptLine> ScriptLines() {
    return {
        {"Russian", 204, "Arial", "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0! \xCE\xF2\xF7\xB8\xF2 \xB9" "5",
         "Привет, мир! Отчёт №5"},
        {"Greek", 161, "Times New Roman", "\xCA\xE1\xEB\xE7\xEC\xDD\xF1\xE1 \xEA\xFC\xF3\xEC\xE5, \xC1\xC2\xC3",
         "Καλημέρα κόσμε, ΑΒΓ"},
        {"Polish", 238, "Verdana", "Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1, \xA3\xD3" "D\x8F",
         "Zażółć gęślą jaźń, ŁÓDŹ"},
        {"Japanese", 128, "MS Gothic",
         "\x93\xFA\x96{\x8C\xEA\x82\xCC\x83" "e\x83L\x83X\x83g\x81" "A\x83J\x83^\x83J\x83i ABC",
         "日本語のテキスト、カタカナ ABC"},
        {"Chinese", 134, "SimSun", "\xD6\xD0\xCE\xC4\xB1\xA8\xB8\xE6\xA3\xBA\xC4\xE3\xBA\xC3\xA3\xAC\xCA\xC0\xBD\xE7 123",
         "中文报告：你好，世界 123"},
    };
}

// Where the right-aligned copies of the lines end, in inches from the left.
inline constexpr float ScriptRightEdge = 7.5f;

// One page: every line printed from 1 inch on, 12 points, half an inch
// apart; below them each line again, right-aligned on ScriptRightEdge.
inline std::vector<std::uint8_t> ScriptReport(const std::vector<TScriptLine>& lines) {
    ndrwriter::TNdrWriter w;
    w.BeginPage(1);
    float y = 1;
    for (int pass = 0; pass < 2; ++pass)
        for (const TScriptLine& line : lines) {
            ndrwriter::TNdrWriter::TFontRecord font;
            font.Name = line.Face;
            font.Charset = line.Charset;
            w.SetFont(font);
            if (pass == 0) w.PrintLeft(y, line.Bytes, 1);
            else w.PrintRight(y, line.Bytes, ScriptRightEdge);
            y += 0.5f;
        }
    w.EndPage();
    return w.Finish();
}

}  // namespace tal::testing
