// Report text: macro expansion, inline format marks, measuring and the
// layout of formatted and justified text.
#include <gtest/gtest.h>

#include "render/RpConverter.h"
#include "tests/render/ConversionHarness.h"

namespace tal {
namespace {

using ndrwriter::BuiltInMacro;
using ndrwriter::MarkGroup;
using ndrwriter::THeaderFields;
using ndrwriter::TNdrWriter;
using ndrwriter::VariableMacro;
using testing::Only;
using testing::TLogHarness;
using Lines = std::vector<std::string>;

// The calls of the last page of a report whose pages each print text.
Lines PrintedOnPage(TLogHarness& h, const std::vector<std::string>& texts, int pages = 1, int selected = 0,
                    char kind = 'L') {
    TNdrWriter w;
    for (int p = 1; p <= pages; ++p) {
        w.BeginPage(static_cast<std::int16_t>(p));
        w.SetFont({.Name = "Arial", .SizeInches = 12.0f / 72.0f});
        w.Ellipse(0, 0, 0, 0);  // marks where the texts begin
        for (const auto& text : texts) {
            if (kind == 'L') w.PrintLeft(1, text, 1);
            else if (kind == 'C') w.PrintCenter(1, text, 4);
            else if (kind == 'R') w.PrintRight(1, text, 7);
            else w.PrintBlock(1, text, 1, 6);
        }
        w.EndPage();
    }
    const auto result = h.Convert(w.Finish(), selected);
    EXPECT_EQ(result.Error, "");
    Lines page;
    for (const auto& line : result.Lines) {
        if (line.rfind("BeginPage", 0) == 0 || line.rfind("Ellipse", 0) == 0) page.clear();
        else if (line.rfind("Print", 0) == 0 || line.rfind("FontChanged", 0) == 0) page.push_back(line);
    }
    return page;
}

TEST(Macros, PageNumbersAndCounts) {
    TLogHarness h;
    const std::string text = "Page " + BuiltInMacro(11) + " of " + BuiltInMacro(10);
    EXPECT_EQ(PrintedOnPage(h, {text}, 5, 2), Lines {"PrintLeft 1.0000 1.0000 \"Page 2 of 5\""});
    EXPECT_EQ(PrintedOnPage(h, {BuiltInMacro(8) + "-" + BuiltInMacro(9) + "-" + BuiltInMacro(12)}, 3),
              Lines {"PrintLeft 1.0000 1.0000 \"1-3-3\""});
}

TEST(Macros, FixedTextsAndEmptyCodes) {
    TLogHarness h;
    h.Render.FMacroItems = {"first", "second"};
    const auto printed = PrintedOnPage(h, {BuiltInMacro(13) + BuiltInMacro(14) + BuiltInMacro(15),
                                          BuiltInMacro(16) + "|" + BuiltInMacro(17) + "|" + BuiltInMacro(18) + "|",
                                          "a" + BuiltInMacro(36) + BuiltInMacro(40) + BuiltInMacro(99) + "b"});
    EXPECT_EQ(printed, (Lines {"PrintLeft 1.0000 1.0000 \"RenderRenderRender\"",
                               "PrintLeft 1.0000 1.0000 \"first|second||\"", "PrintLeft 1.0000 1.0000 \"ab\""}));
    h.Render.FMacroItems.clear();
    // A text that expands to nothing prints nothing.
    EXPECT_EQ(PrintedOnPage(h, {BuiltInMacro(16)}), Lines {});
}

TEST(Macros, DatesAndTimesOfTheConversionStart) {
    TLogHarness h;  // the clock reads 2026-03-04 13:05:09
    const auto printed = PrintedOnPage(h, {BuiltInMacro(2) + " " + BuiltInMacro(3), BuiltInMacro(6) + " " + BuiltInMacro(7)});
    EXPECT_EQ(printed, (Lines {"PrintLeft 1.0000 1.0000 \"03/04/26 04/03/26\"",
                               "PrintLeft 1.0000 1.0000 \"01:05 PM 13:05\""}));
    ::setenv("LC_TIME", "C", 1);
    ::setenv("LC_ALL", "C", 1);
    const auto local = PrintedOnPage(h, {BuiltInMacro(0) + "|" + BuiltInMacro(1) + "|" + BuiltInMacro(4) + "|" + BuiltInMacro(5)});
    EXPECT_EQ(local, Lines {"PrintLeft 1.0000 1.0000 \"3/4/2026|Wednesday, March 4, 2026|1:05 PM|1:05:09 PM\""});
}

TEST(Macros, VariablesExpandAndAValueNamingItselfStops) {
    TLogHarness h;
    TNdrWriter w;
    w.BeginPage(1);
    w.SetVariable("Name", "Gulls");
    w.SetVariable("Loop", "x" + VariableMacro("Loop"));
    w.SetVariable("A", VariableMacro("B"));
    w.SetVariable("B", VariableMacro("A") + VariableMacro("A"));
    w.PrintLeft(1, "[" + VariableMacro("NAME") + "][" + VariableMacro("unknown") + "]", 1);
    w.PrintLeft(2, VariableMacro("Loop"), 1);
    w.PrintLeft(3, VariableMacro("A"), 1);
    w.PrintLeft(4, "\xFD$RPCVz tail", 1);  // no name: the marker and one byte go
    w.EndPage();
    const auto result = h.Convert(w.Finish());
    ASSERT_EQ(result.Error, "");
    const auto printed = Only(result.Lines, {"PrintLeft"});
    // A and B name each other: the expansion stops with every marker gone
    // and nothing left to print.
    ASSERT_EQ(printed.size(), 3u);
    EXPECT_EQ(printed[0], "PrintLeft 1.0000 1.0000 \"[Gulls][]\"");
    EXPECT_EQ(printed[1].substr(0, 30), "PrintLeft 1.0000 2.0000 \"xxxxx");
    EXPECT_EQ(printed[1].find("\\xFD"), std::string::npos);
    EXPECT_EQ(printed[2], "PrintLeft 1.0000 4.0000 \" tail\"");
}

// A value of one letter and twelve markers for itself: each text stops
// inserting at the bound of inserted bytes (150 values of 109 bytes) and
// removes the markers left, without reading the text again for each.
TEST(Macros, AValueFullOfItsOwnMarkersStopsAtTheBytesBound) {
    TLogHarness h;
    std::string value = "a";
    for (int k = 0; k < 12; ++k) value += VariableMacro("X");
    TNdrWriter w;
    w.BeginPage(1);
    w.SetVariable("X", value);
    for (int line = 0; line < 20; ++line) w.PrintLeft(1, VariableMacro("X"), 1);
    w.EndPage();
    const auto result = h.Convert(w.Finish());
    ASSERT_EQ(result.Error, "");
    const auto printed = Only(result.Lines, {"PrintLeft"});
    ASSERT_EQ(printed.size(), 20u);
    for (const auto& line : printed) EXPECT_EQ(line, "PrintLeft 1.0000 1.0000 \"" + std::string(150, 'a') + "\"");
}

TEST(Marks, ALeftFormattedTextPrintsRunByRun) {
    TLogHarness h;
    // "Total" is 5 characters of 104 pixels: the second run starts 520/1248 inch later.
    const auto printed = PrintedOnPage(h, {"Total" + MarkGroup({{'B', "1"}}) + "12"});
    const Lines expected {
        "FontChanged \"Arial\" 12 pt style=- color=00000000 pitch=0 charset=0 rotation=0",
        "PrintLeft 1.0000 1.0000 \"Total\"",
        "FontChanged \"Arial\" 12 pt style=B color=00000000 pitch=0 charset=0 rotation=0",
        "FontChanged \"Arial\" 12 pt style=B color=00000000 pitch=0 charset=0 rotation=0",
        "PrintLeft 1.4167 1.0000 \"12\"",
    };
    EXPECT_EQ(printed, expected);
}

// The font each printed run was announced in: the last FontChanged before it.
Lines PrintsWithTheirFonts(const Lines& printed) {
    Lines out;
    std::string font;
    for (const std::string& line : printed) {
        if (line.rfind("FontChanged", 0) == 0) font = line;
        else out.push_back(font + " | " + line);
    }
    return out;
}

TEST(Marks, CentredAndRightTextsPrintTheirFirstRunInTheFontTheyStartWith) {
    TLogHarness h;
    // Measuring applies the Z and C marks, and nothing puts them back: the
    // first run printed at 24 points in red and in the wrong place.
    const std::string text = "ab" + MarkGroup({{'Z', "24"}, {'C', "255"}}) + "cd";
    const std::string plain = "FontChanged \"Arial\" 12 pt style=- color=00000000 pitch=0 charset=0 rotation=0";
    const std::string big = "FontChanged \"Arial\" 24 pt style=- color=000000FF pitch=0 charset=0 rotation=0";
    // ab at 12 pt is 208 px, cd at 24 pt is 416 px: 624 px in all, half of it 0.25 inch.
    EXPECT_EQ(PrintsWithTheirFonts(PrintedOnPage(h, {text}, 1, 0, 'C')),
              (Lines {plain + " | PrintLeft 3.7500 1.0000 \"ab\"", big + " | PrintLeft 3.9167 1.0000 \"cd\""}));
    EXPECT_EQ(PrintsWithTheirFonts(PrintedOnPage(h, {text}, 1, 0, 'R')),
              (Lines {plain + " | PrintLeft 6.5000 1.0000 \"ab\"", big + " | PrintLeft 6.6667 1.0000 \"cd\""}));
    // The marks stay in force after the text, as after any formatted text.
    const Lines next = PrintsWithTheirFonts(PrintedOnPage(h, {text, "e" + MarkGroup({{'B', "1"}}) + "f"}, 1, 0, 'C'));
    ASSERT_EQ(next.size(), 4u);
    EXPECT_EQ(next[2], big + " | PrintLeft 3.8333 1.0000 \"e\"");
}

TEST(Marks, EveryLetterChangesTheFontState) {
    TLogHarness h;
    TNdrWriter w;
    w.BeginPage(1);
    w.PrintLeft(1,
                MarkGroup({{'B', "1"}, {'I', "1"}, {'U', "1"}, {'K', "1"}, {'P', "1"}, {'S', "1"}, {'N', "Courier New"},
                           {'Z', "10.5"}, {'C', "255"}, {'H', "F"}, {'J', "x"}, {'Q', "1"}}) + "x",
                1);
    w.EndPage();
    std::string state;
    struct TProbe : TCallLogRender {
        using TCallLogRender::TCallLogRender;
        std::string* Out = nullptr;
        void PrintLeft(const std::string& text, double, double) override {
            const TRPConverter& c = *FConverter;
            *Out = Format("%s|%s|%d|%d|%d%d%d%d|%d%d|%d|%d|%.4f", {text, c.FFontName, c.Font.Size(), c.Font.Style(),
                                                                   c.FBold, c.FItalic, c.FUnderline, c.FStrikeOut,
                                                                   c.FFlagP, c.FFlagS, c.FFontColor, c.FFontPitch,
                                                                   c.FFontSizeInches});
        }
    } probe([](const std::string&) {});
    probe.Out = &state;
    testing::THalfEmEngine engine;
    probe.FTextMeasure = &engine;
    TMemoryStream report(w.Finish());
    probe.FInputStream = &report;
    probe.ConvertPages(0);
    // Z 10.5 rounds half to even: 10 points.
    EXPECT_EQ(state, "x|Courier New|10|15|1111|11|255|2|0.1389");

    TNdrWriter reset;
    reset.BeginPage(1);
    reset.SetFont({.Name = "Times", .Color = 0xFF, .SizeInches = 0.5f, .Bold = true, .Rotation = 30});
    reset.FontFlagP(true);
    reset.PrintLeft(1, MarkGroup({{'R', ""}}) + "y", 1);
    reset.PrintLeft(1, MarkGroup({{'B', "1"}, {'Z', "20"}, {'r', ""}}) + "z", 1);
    reset.EndPage();
    TMemoryStream report2(reset.Finish());
    probe.FInputStream = &report2;
    probe.ConvertPages(0);
    // r keeps the face and size: only R goes back to Arial 12.
    EXPECT_EQ(state, "z|Arial|20|0|0000|00|0|0|0.2778");
}

TEST(Marks, ParametersDropByteThreeAndUnknownLettersDoNothing) {
    TLogHarness h;
    const auto printed = PrintedOnPage(h, {std::string("\x01Z1\x03" "8\x04") + "a"});
    EXPECT_NE(printed.back().find("PrintLeft"), std::string::npos);
    EXPECT_NE(printed.front().find(" 18 pt"), std::string::npos);
}

TEST(Marks, ABadSizeOrColourIsAConversionError) {
    TLogHarness h;
    TNdrWriter w;
    w.BeginPage(1);
    w.PrintLeft(1, MarkGroup({{'C', "red"}}) + "x", 1);
    w.EndPage();
    EXPECT_EQ(h.Convert(w.Finish()).Error, "'red' is not a valid integer value");
}

TEST(Justified, EveryBlankBetweenWordsWidensAcrossRunsAndTheLineEndsOnItsMargin) {
    TLogHarness h;
    // "a b c" is 5 characters = 520 px = 0.4167 inch; Width 6: the gap is (6 - 0.4167) / 2.
    // The blank that begins the bold run widens like any other, so c ends at 7.
    const auto printed = Only(PrintedOnPage(h, {"a b" + MarkGroup({{'B', "1"}}) + " c"}, 1, 0, 'B'), {"Print"});
    const double gap = (6 - 520.0 / 1248) / 2;
    const Lines expected {
        "PrintLeft 1.0000 1.0000 \"a\"",
        "PrintRight " + FormatFixed(1 + 312.0 / 1248 + gap, 4) + " 1.0000 \"b\"",
        "PrintRight 7.0000 1.0000 \"c\"",
    };
    EXPECT_EQ(printed, expected);
}

TEST(Justified, BlanksOutsideTheWordsKeepTheirWidthAndBlanksCountOneByOne) {
    TLogHarness h;
    // Leading blanks move the first word; the two blanks after "a" take two
    // gaps; trailing blanks (here in a run of their own) take none, so the
    // last word still ends on the margin. A mark inside a word places the
    // word's second part by its end.
    const std::string text = "  a" + MarkGroup({{'I', "1"}}) + "x  b" + MarkGroup({{'B', "1"}}) + " c  ";
    const auto printed = Only(PrintedOnPage(h, {text}, 1, 0, 'B'), {"Print"});
    // Up to c: 2 + 2 + 2 + 1 + 1 + 1 = 9 characters = 936 px, and 3 inner blanks.
    const double gap = (6 - 936.0 / 1248) / 3;
    const Lines expected {
        "PrintLeft " + FormatFixed(1 + 208.0 / 1248, 4) + " 1.0000 \"a\"",
        "PrintRight " + FormatFixed(1 + 416.0 / 1248, 4) + " 1.0000 \"x\"",
        "PrintRight " + FormatFixed(1 + 728.0 / 1248 + 2 * gap, 4) + " 1.0000 \"b\"",
        "PrintRight 7.0000 1.0000 \"c\"",
    };
    EXPECT_EQ(printed, expected);
}

TEST(Justified, ATextWithoutSpacesPrintsWithoutGaps) {
    TLogHarness h;
    const auto printed = Only(PrintedOnPage(h, {"ab" + MarkGroup({{'I', "1"}}) + "cd"}, 1, 0, 'B'), {"Print"});
    EXPECT_EQ(printed, (Lines {"PrintLeft 1.0000 1.0000 \"ab\"", "PrintRight 1.3333 1.0000 \"cd\""}));
}

TEST(Justified, AJustifiedLinePrintsItsFirstRunInTheFontItStartsWith) {
    TLogHarness h;
    const auto printed =
        PrintsWithTheirFonts(PrintedOnPage(h, {"a b" + MarkGroup({{'Z', "24"}}) + " c"}, 1, 0, 'B'));
    ASSERT_EQ(printed.size(), 3u);
    EXPECT_NE(printed[0].find(" 12 pt"), std::string::npos) << printed[0];
    EXPECT_NE(printed[1].find(" 12 pt"), std::string::npos) << printed[1];
    EXPECT_NE(printed[2].find(" 24 pt"), std::string::npos) << printed[2];
    EXPECT_NE(printed[2].find("PrintRight 7.0000"), std::string::npos) << printed[2];
}

TEST(Justified, PlainTextGoesToTheRenderersBlock) {
    TLogHarness h;
    EXPECT_EQ(Only(PrintedOnPage(h, {"a b c"}, 1, 0, 'B'), {"Print"}),
              Lines {"PrintBlock 1.0000 1.0000 6.0000 \"a b c\""});
}

TEST(Measuring, TextWidthAppliesTheMarksAndLeavesTheirState) {
    TLogHarness h;
    TNdrWriter w;
    w.BeginPage(1);
    w.EndPage();
    TMemoryStream report(w.Finish());
    TRPConverter c(report, h.Render);
    c.SetTextMeasure(h.Engine);
    c.Font.SetSize(12);
    EXPECT_DOUBLE_EQ(c.TextWidth("abc"), 312.0 / 1248);
    EXPECT_DOUBLE_EQ(c.TextWidth("ab" + MarkGroup({{'Z', "24"}}) + "cd"), (208.0 + 416.0) / 1248);
    EXPECT_EQ(c.Font.Size(), 24);
    EXPECT_DOUBLE_EQ(c.TextWidth(""), 0);
}

}  // namespace
}  // namespace tal
