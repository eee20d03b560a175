// The report converter: header and page records of every format version,
// page choice, every command's operands and drawing state, and bad files.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "render/PageSelection.h"
#include "render/RpConverter.h"
#include "tests/render/ConversionHarness.h"
#include "tools/ndrwriter/SamplePictures.h"

namespace tal {
namespace {

using ndrwriter::TGraphicData;
using ndrwriter::THeaderFields;
using ndrwriter::TNdrWriter;
using testing::Only;
using testing::TLogHarness;
using Lines = std::vector<std::string>;

std::vector<std::uint8_t> Pages(int count, std::uint16_t version = 2018) {
    THeaderFields fields;
    fields.Version = version;
    TNdrWriter w(fields);
    for (int i = 1; i <= count; ++i) {
        w.BeginPage(static_cast<std::int16_t>(i));
        w.PrintLeft(1, "page " + std::to_string(i), 1);
        w.EndPage();
    }
    return w.Finish();
}

Lines Structure(const Lines& lines) { return Only(lines, {"Begin", "End", "PrintLeft"}); }

TEST(Pages, AreConvertedInFileOrderBetweenDocumentBeginAndEnd) {
    TLogHarness h;
    const auto result = h.Convert(Pages(3));
    EXPECT_EQ(result.Error, "");
    const Lines expected {
        "BeginDocument version=2018 title=\"Report\" pages=3 first=1 last=3 offsets=0.0000,0.0000",
        "BeginPage 1 at=54 prev=0 next=90 size=8.5000x11.0000",
        "PrintLeft 1.0000 1.0000 \"page 1\"",
        "EndPage",
        "BeginPage 2 at=90 prev=54 next=126 size=8.5000x11.0000",
        "PrintLeft 1.0000 1.0000 \"page 2\"",
        "EndPage",
        "BeginPage 3 at=126 prev=90 next=0 size=8.5000x11.0000",
        "PrintLeft 1.0000 1.0000 \"page 3\"",
        "EndPage",
        "EndDocument",
    };
    EXPECT_EQ(result.Lines, expected);
}

TEST(Pages, ASelectionIsReachedThroughThePageChain) {
    TLogHarness h;
    h.Render.FPageSelection = "2";
    EXPECT_EQ(Only(h.Convert(Pages(3)).Lines, {"PrintLeft"}), Lines {"PrintLeft 1.0000 1.0000 \"page 2\""});
    h.Render.FPageSelection = "EVEN";
    EXPECT_EQ(Only(h.Convert(Pages(5)).Lines, {"PrintLeft"}),
              (Lines {"PrintLeft 1.0000 1.0000 \"page 2\"", "PrintLeft 1.0000 1.0000 \"page 4\""}));
    h.Render.FPageSelection = "1,3-5";
    EXPECT_EQ(Only(h.Convert(Pages(6)).Lines, {"BeginPage"}).size(), 4u);
    h.Render.FPageSelection = "";
    EXPECT_EQ(Only(h.Convert(Pages(4), 3).Lines, {"PrintLeft"}), Lines {"PrintLeft 1.0000 1.0000 \"page 3\""});
}

TEST(Pages, EachFinishedPageIsAnnouncedWithTheReportsPageCount) {
    TLogHarness h;
    std::vector<std::string> done;
    h.Render.OnPageDone = [&](std::int32_t page, std::int32_t pages) {
        done.push_back(std::to_string(page) + "/" + std::to_string(pages));
    };
    h.Convert(Pages(3));
    EXPECT_EQ(done, (Lines {"1/3", "2/3", "3/3"}));
    done.clear();
    h.Render.FPageSelection = "EVEN";
    h.Convert(Pages(5));
    EXPECT_EQ(done, (Lines {"2/5", "4/5"}));
}

TEST(Pages, SelectionExpressions) {
    TLogHarness h;
    TMemoryStream report(Pages(1));
    TRPConverter c(report, h.Render);
    auto selected = [&](const std::string& selection) {
        h.Render.FPageSelection = selection;
        std::string pages;
        for (int i = 1; i <= 9; ++i) pages += c.IsPageSelected(i) ? char('0' + i) : '.';
        return pages;
    };
    EXPECT_EQ(selected("1,3-5"), "1.345....");
    EXPECT_EQ(selected("odd"), "1.3.5.7.9");
    EXPECT_EQ(selected("E"), ".2.4.6.8.");
    EXPECT_EQ(selected("4-"), "...456789");
    EXPECT_EQ(selected("-3"), "123......");
    EXPECT_EQ(selected("ALL"), "123456789");
    EXPECT_EQ(selected("R"), ".........");
    EXPECT_THROW(selected("x"), EConvertError);
    h.Render.FPageSelection = "";
    c.FHeaderFirstPage = 2;
    c.FHeaderLastPage = 3;
    EXPECT_TRUE(c.IsPageSelected(3));
    EXPECT_FALSE(c.IsPageSelected(4));
}

TEST(Pages, ASelectionThatNamesNoPageFailsBeforeTheDocumentBegins) {
    TLogHarness h;
    for (const std::string selection : {"99", "3-1", "0", "r", "4-"}) {
        SCOPED_TRACE(selection);
        h.Render.FPageSelection = selection;
        const auto result = h.Convert(Pages(3));
        EXPECT_EQ(result.Error, "The page selection \"" + selection + "\" names no page of the report, which has 3 pages");
        EXPECT_EQ(Structure(result.Lines), Lines {});
    }
    h.Render.FPageSelection = "2";
    EXPECT_EQ(h.Convert(Pages(1)).Error, "The page selection \"2\" names no page of the report, which has 1 page");
    // Without pages there is nothing to select, as without a selection.
    EXPECT_EQ(h.Convert(Pages(0)).Error, "");
    h.Render.FPageSelection = "99,3";
    EXPECT_EQ(Only(h.Convert(Pages(3)).Lines, {"PrintLeft"}), Lines {"PrintLeft 1.0000 1.0000 \"page 3\""});
}

TEST(Pages, AFaultySelectionFailsBeforeTheDocumentBeginsWithThePartAsTyped) {
    TLogHarness h;
    // Page 1 is named before the faulty part is reached; the whole
    // selection is checked first all the same.
    h.Render.FPageSelection = "1,abc";
    const auto result = h.Convert(Pages(3));
    EXPECT_EQ(result.Error, "'abc' is not a valid integer value");
    EXPECT_EQ(Structure(result.Lines), Lines {});
    h.Render.FPageSelection = "e-2";
    EXPECT_EQ(h.Convert(Pages(3)).Error, "'e' is not a valid integer value");
}

TEST(Pages, SelectionsAreCheckedAndCountedAsTheyAreConverted) {
    for (const std::string valid : {"1", " 2 ", "+3", "1,3-5", "odd", "Even", "a", "ALL", "R", "-3", "4-", "-", "", ",,",
                                    "1-2-3", "5-E"})
        EXPECT_NO_THROW(ValidatePageSelection(valid)) << valid;
    for (const std::string faulty : {"abc", "1,x", "1.5", "2-y", "z-3", "ALL ", "1;2", "99999999999"})
        EXPECT_THROW(ValidatePageSelection(faulty), EConvertError) << faulty;
    EXPECT_EQ(CountSelectedPages("1,3-5", 9), 4);
    EXPECT_EQ(CountSelectedPages("odd", 9), 5);
    EXPECT_EQ(CountSelectedPages("4-", 3), 0);
    EXPECT_EQ(CountSelectedPages("1-2-3", 9), 2);  // the last range start counts
    EXPECT_EQ(CountSelectedPages("5-E", 9), 4);    // a word after a range start ignores it
}

TEST(Pages, ASecondConversionOnTheSameRendererConvertsEveryPage) {
    TLogHarness h;
    EXPECT_EQ(Only(h.Convert(Pages(2)).Lines, {"BeginPage"}).size(), 2u);
    EXPECT_EQ(h.Render.FRangeLast, 0);
    const auto second = h.Convert(Pages(4));
    EXPECT_EQ(second.Error, "");
    EXPECT_EQ(Only(second.Lines, {"BeginPage"}).size(), 4u);
    EXPECT_EQ(Only(h.Convert(Pages(1)).Lines, {"BeginPage"}).size(), 1u);
}

TEST(Pages, AnExplicitRangeIsHonoured) {
    TLogHarness h;
    h.Render.FRangeFirst = 2;
    h.Render.FRangeLast = 3;
    EXPECT_EQ(Only(h.Convert(Pages(5)).Lines, {"PrintLeft"}),
              (Lines {"PrintLeft 1.0000 1.0000 \"page 2\"", "PrintLeft 1.0000 1.0000 \"page 3\""}));
    h.Render.FRangeFirst = 1;
    h.Render.FRangeLast = 9999;
    EXPECT_EQ(Only(h.Convert(Pages(5)).Lines, {"BeginPage"}).size(), 5u);
}

TEST(Pages, AReportWithoutPagesGivesAnEmptyDocument) {
    TLogHarness h;
    const auto result = h.Convert(Pages(0));
    EXPECT_EQ(result.Error, "");
    EXPECT_EQ(Structure(result.Lines),
              (Lines {"BeginDocument version=2018 title=\"Report\" pages=0 first=1 last=0 offsets=0.0000,0.0000",
                      "EndDocument"}));
}

TEST(Pages, AChainThatComesBackOnItselfEndsThere) {
    // Page 2's NextPageOffset leads back to page 1: looking for page 9
    // stops at the page where the chain turned.
    auto bytes = Pages(3);
    const std::size_t page2 = 90;
    bytes[page2 + 5] = 54;
    bytes[page2 + 6] = bytes[page2 + 7] = bytes[page2 + 8] = 0;
    TLogHarness h;
    h.Render.FPageSelection = "3";
    const auto result = h.Convert(bytes);
    EXPECT_EQ(result.Error, "");
    EXPECT_EQ(Only(result.Lines, {"BeginPage"}), Lines {"BeginPage 2 at=90 prev=54 next=54 size=8.5000x11.0000"});
    const auto direct = h.Convert(bytes, 3);
    EXPECT_EQ(direct.Error, "");
    EXPECT_EQ(Only(direct.Lines, {"BeginPage"}), Lines {"BeginPage 2 at=90 prev=54 next=54 size=8.5000x11.0000"});
}

TEST(Pages, ASelectionBeyondTheChainConvertsTheLastPageReachedOnce) {
    // The header promises 9 pages, the file holds 2: pages 2 to 9 all end at page 2.
    auto bytes = Pages(2);
    bytes[10] = 9;  // PageCount
    TLogHarness h;
    h.Render.FPageSelection = "ALL";
    const auto result = h.Convert(bytes);
    EXPECT_EQ(result.Error, "");
    EXPECT_EQ(Only(result.Lines, {"PrintLeft"}),
              (Lines {"PrintLeft 1.0000 1.0000 \"page 1\"", "PrintLeft 1.0000 1.0000 \"page 2\""}));
}

TEST(Pages, APageThatDoesNotStartWithItsCodeFails) {
    auto bytes = Pages(2);
    bytes[90] = 'X';
    TLogHarness h;
    const auto result = h.Convert(bytes);
    EXPECT_EQ(result.Error, "Unexpected code found in report file.");
    EXPECT_EQ(result.Lines.back(), "EndDocument");
}

// Bytes assembled by hand, independently of the writer.
class TBytes {
public:
    TBytes& U8(std::uint8_t v) { Data.push_back(v); return *this; }
    TBytes& I16(std::int16_t v) { return U8(static_cast<std::uint8_t>(v)).U8(static_cast<std::uint8_t>(static_cast<std::uint16_t>(v) >> 8)); }
    TBytes& I32(std::int32_t v) {
        for (int i = 0; i < 4; ++i) U8(static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i)));
        return *this;
    }
    TBytes& F32(float v) {
        std::uint32_t bits;
        std::memcpy(&bits, &v, 4);
        return I32(static_cast<std::int32_t>(bits));
    }
    TBytes& Str(const std::string& s) {
        U8(static_cast<std::uint8_t>(s.size()));
        Data.insert(Data.end(), s.begin(), s.end());
        return *this;
    }
    std::vector<std::uint8_t> Data;
};

TEST(Versions, Version1101HasNoTitleNoPageSizesAndAPageByte) {
    TBytes b;
    b.U8(0x51).I16(1).I16(1).I16(1);
    for (int i = 0; i < 6; ++i) b.F32(0);
    b.U8(0).I16(0).I16(0).I16(0).I16(0).Str("");
    ASSERT_EQ(b.Data.size(), 41u);
    b.U8(80).I32(0).I32(0).I16(1).U8(7);
    // SetFont without charset and rotation; FontSize without width.
    b.U8(50).Str("Courier New").I32(0xFF).U8(2).F32(0.25f).U8(1).U8(0).U8(0).U8(0);
    b.U8(54).F32(0.125f);
    b.U8(24).F32(2).Str("x").F32(1);
    b.U8(82);
    TLogHarness h;
    h.Render.FPageWidth = 3;  // a page without a size leaves the renderer's as it was
    const auto result = h.Convert(b.Data);
    ASSERT_EQ(result.Error, "");
    EXPECT_EQ(Only(result.Lines, {"BeginPage"}), Lines {"BeginPage 1 at=41 prev=0 next=0 size=3.0000x0.0000"});
    EXPECT_EQ(Only(result.Lines, {"FontChanged"}).back(),
              "FontChanged \"Courier New\" 9 pt style=B color=000000FF pitch=2 charset=1 rotation=0");
}

TEST(Versions, TwoByteTextLengthsStartWithVersion2016) {
    for (std::uint16_t version : {2015, 2016}) {
        TBytes b;
        b.U8(0x5A).I16(static_cast<std::int16_t>(version)).Str("T").I16(1).I16(1).I16(1);
        for (int i = 0; i < 6; ++i) b.F32(0);
        b.U8(0).I16(0).U8(0).U8(0).I16(0).I16(0).I16(0).I16(0).Str("");
        b.U8(80).I32(0).I32(0).I16(1).F32(8.5f).F32(11);
        b.U8(24).F32(1).U8(0xC1).U8(0x10);
        const std::size_t length = version >= 2016 ? 272 : 193;
        // With the one-byte length the 0x10 is the text's first byte.
        for (std::size_t i = version >= 2016 ? 0 : 1; i < length; ++i) b.U8('a');
        b.F32(2).U8(82);
        TLogHarness h;
        const auto result = h.Convert(b.Data);
        ASSERT_EQ(result.Error, "") << version;
        const auto print = Only(result.Lines, {"PrintLeft"});
        ASSERT_EQ(print.size(), 1u);
        const std::string expectedText = version >= 2016 ? std::string(272, 'a') : "\\x10" + std::string(192, 'a');
        EXPECT_EQ(print[0], "PrintLeft 2.0000 1.0000 \"" + expectedText + "\"") << version;
    }
}

TEST(Versions, TheWriterAndReaderAgreeOnEveryVersion) {
    for (std::uint16_t version : {1101, 2009, 2000, 2010, 2016, 2017, 2018, 2024}) {
        THeaderFields fields;
        fields.Version = version;
        fields.Title = "Title";
        TNdrWriter w(fields);
        w.BeginPage(1, 4, 6);
        w.SetFont({.Name = "Arial", .Charset = 2, .SizeInches = 0.5f, .Rotation = 30});
        w.FontSize(0.25f, 0.1f);
        w.PrintLeft(1, std::string(300, 'z').substr(0, version >= 2016 ? 300 : 255), 1);
        w.EndPage();
        TLogHarness h;
        const auto result = h.Convert(w.Finish());
        ASSERT_EQ(result.Error, "") << version;
        const bool titled = version >= 2010;
        EXPECT_EQ(result.Lines.front().find(titled ? "title=\"Title\"" : "title=\"\"") != std::string::npos, true)
            << version;
        const std::string font = Only(result.Lines, {"FontChanged"}).back();
        EXPECT_NE(font.find(version >= 2018 ? "charset=2" : "charset=1"), std::string::npos) << version;
        EXPECT_NE(font.find(version >= 2000 ? "rotation=30" : "rotation=0"), std::string::npos) << version;
        EXPECT_NE(font.find(" 18 pt"), std::string::npos) << version;
        EXPECT_EQ(h.Render.FPageWidth, version >= 2000 ? 4 : 0) << version;
    }
}

// ---- commands ----

std::vector<std::uint8_t> OnePage(const std::function<void(TNdrWriter&)>& commands, std::uint16_t version = 2018) {
    THeaderFields fields;
    fields.Version = version;
    TNdrWriter w(fields);
    w.BeginPage(1);
    commands(w);
    w.EndPage();
    return w.Finish();
}

Lines Calls(const std::vector<std::uint8_t>& bytes, TLogHarness& h) {
    const auto result = h.Convert(bytes);
    EXPECT_EQ(result.Error, "");
    Lines calls;
    for (const auto& line : result.Lines)
        if (line.rfind("Begin", 0) != 0 && line.rfind("End", 0) != 0) calls.push_back(line);
    return calls;
}

TEST(Commands, ShapesPassTheirValuesInFileOrder) {
    TLogHarness h;
    const auto calls = Calls(OnePage([](TNdrWriter& w) {
        w.Arc(1, 2, 3, 4, 5, 6, 7, 8);
        w.Chord(8, 7, 6, 5, 4, 3, 2, 1);
        w.Pie(0.5f, 1, 1.5f, 2, 2.5f, 3, 3.5f, 4);
        w.Ellipse(1, 1, 2, 2);
        w.Rectangle(1, 2, 3, 4, 18);
        w.Rectangle(4, 3, 2, 1, 19);
        w.RoundRect(1, 1, 3, 3, 0.25f, 0.5f);
        w.MoveTo(1, 1);
        w.LineTo(2, 3);
        w.LineTo(4, 5);
    }), h);
    const Lines expected {
        "Arc 1.0000 2.0000 3.0000 4.0000 5.0000 6.0000 7.0000 8.0000",
        "Chord 8.0000 7.0000 6.0000 5.0000 4.0000 3.0000 2.0000 1.0000",
        "Pie 0.5000 1.0000 1.5000 2.0000 2.5000 3.0000 3.5000 4.0000",
        "Ellipse 1.0000 1.0000 2.0000 2.0000",
        "Rectangle 1.0000 2.0000 3.0000 4.0000",
        "Rectangle 4.0000 3.0000 2.0000 1.0000",
        "RoundRect 1.0000 1.0000 3.0000 3.0000 0.2500 0.5000",
        "MoveTo 1.0000 1.0000",
        "LineTo 2.0000 3.0000",
        "MoveTo 2.0000 3.0000",
        "LineTo 4.0000 5.0000",
    };
    EXPECT_EQ(calls, expected);
}

TEST(Commands, PointListsMoveToTheFirstPointAndPassTheHighIndex) {
    TLogHarness h;
    const auto calls = Calls(OnePage([](TNdrWriter& w) {
        w.Polygon({{1, 1}, {2, 0.5f}, {0.0004f, 0.0012f}});
        w.Polyline({{3, 4}});
        w.Polyline({});
    }), h);
    const Lines expected {
        "MoveTo 1.0000 1.0000",
        "Polygon 2 (1248,1248) (2496,624) (0,1)",
        "MoveTo 3.0000 4.0000",
        "Polyline 0 (3744,4992)",
        "Polyline -1",
    };
    EXPECT_EQ(calls, expected);
}

TEST(Commands, TextCommandsAndTheirOperandOrder) {
    TLogHarness h;
    const auto calls = Calls(OnePage([](TNdrWriter& w) {
        w.PrintCenter(2, "centre", 4.25f);
        w.PrintLeft(2, "", 1);  // an empty text prints nothing
        w.PrintRight(3, "right", 7);
        w.PrintBlock(4, "a b c", 1, 6, 32);
        w.PrintBlock(5, "d e", 1, 6, 33);
        w.TextRect(1, 1, 2, 1.5f, 1.1f, 1.2f, "clip");
    }), h);
    const Lines expected {
        "PrintCenter 4.2500 2.0000 \"centre\"",
        "PrintRight 7.0000 3.0000 \"right\"",
        "PrintBlock 1.0000 4.0000 6.0000 \"a b c\"",
        "PrintBlock 1.0000 5.0000 6.0000 \"d e\"",
        "TextRect 72 72 144 108 1.1000 1.2000 \"clip\"",
    };
    EXPECT_EQ(calls, expected);
}

TEST(Commands, PicturesAreHandedOverWithTheirBytes) {
    TLogHarness h;
    const TGraphicData bitmap {1, ndrwriter::SolidBitmap(2, 1, 0xFF)};
    const TGraphicData shared {2, ndrwriter::RectangleMetafile(1440, 720), true};
    const TGraphicData icon {3, ndrwriter::HalfMaskedIcon(4, 0xFF00)};
    const auto calls = Calls(OnePage([&](TNdrWriter& w) {
        w.Draw(shared, 1, 2);
        w.Draw(shared, 3, 4);
        w.PrintBitmap(bitmap, 1, 1, 2, 3);
        w.StretchBitmap(bitmap, 1, 1, 2, 2);
        w.StretchDraw(icon, 0, 0, 1, 0.5f);
        w.PrintImageData({9, 8, 7}, "JPG", 1, 2, 3, 4);
    }), h);
    const Lines expected {
        "Draw metafile 80 bytes 1.0000 2.0000",
        "Draw metafile 80 bytes 3.0000 4.0000",
        "PrintBitmap bitmap 62 bytes 1.0000 1.0000 2.0000 3.0000",
        "StretchBitmap bitmap 62 bytes 1.0000 1.0000 2.0000 2.0000",
        "StretchDraw 0 0 72 36 icon 142 bytes",
        "PrintImageData \"JPG\" 3 bytes 1.0000 2.0000 3.0000 4.0000",
    };
    EXPECT_EQ(calls, expected);
}

TEST(Commands, ASharedGraphicIsReadFromElsewhereAndReadingGoesOnAfterItsOffset) {
    // Kind 0x81, DataPos, then the Draw operands right after the four bytes.
    class TSharedCheck : public TLogHarness {};
    TSharedCheck h;
    bool sharedDuringDraw = true;
    struct TProbe : TCallLogRender {
        using TCallLogRender::TCallLogRender;
        bool* Flag = nullptr;
        void Draw(TGraphic& g, double x, double y) override {
            *Flag = FConverter->FSharedGraphic;
            TCallLogRender::Draw(g, x, y);
        }
    } probe([](const std::string&) {});
    probe.Flag = &sharedDuringDraw;
    TMemoryStream report(OnePage([](TNdrWriter& w) { w.Draw({1, ndrwriter::SolidBitmap(1, 1, 0), true}, 5, 6); }));
    probe.FInputStream = &report;
    probe.ConvertPages(0);
    EXPECT_FALSE(sharedDuringDraw);
}

TEST(Commands, BitmapCommandsRefuseOtherPictures) {
    TLogHarness h;
    const auto result = h.Convert(OnePage([](TNdrWriter& w) { w.PrintBitmap({2, ndrwriter::RectangleMetafile(100, 100)}, 1, 1, 1, 1); }));
    EXPECT_EQ(result.Error, "Invalid class typecast");
    EXPECT_EQ(result.Lines.back(), "EndDocument");
}

TEST(Commands, FontCommandsKeepTheConverterFontState) {
    TLogHarness h;
    TMemoryStream report(OnePage([](TNdrWriter& w) {
        w.FontSize(0.3125f, 0.1f);
        w.FontBold(true);
        w.SetFont({.Name = "Times New Roman", .Color = 0x0000FF, .Pitch = 1, .Charset = 0, .SizeInches = 0.5f});
        w.FontName(std::string(70, 'N'));
        w.FontColor(0x00FF00);
        w.FontUnderline(true);
        w.FontItalic(true);
        w.FontStrikeOut(true);
        w.FontFlagP(true);
        w.FontFlagS(true);
        w.FontRotation(-90);
        w.FontExtra1(5);
        w.FontExtra2(6);
    }));
    struct TState : TCallLogRender {
        using TCallLogRender::TCallLogRender;
        void EndPage() override {
            const TRPConverter& c = *FConverter;
            Snapshot = Format("%s|%d|%d|%d%d%d%d|%d%d|%d|%d|%d|%.4f|%.4f|%.0f",
                              {c.FFontName, c.Font.Size(), c.Font.Style(), c.FBold, c.FUnderline, c.FItalic,
                               c.FStrikeOut, c.FFlagP, c.FFlagS, c.FRotation, c.FFontExtra1, c.FFontExtra2,
                               c.FFontSizeInches, c.FFontWidth, c.FFontPoints});
        }
        std::string Snapshot;
    } state([](const std::string&) {});
    state.FInputStream = &report;
    state.ConvertPages(0);
    // 0.3125 inch is 22.5 points, 22 by half-to-even; command 50 sets 36 points
    // and keeps bold although its Bold byte is 0, but leaves FFontPoints alone.
    EXPECT_EQ(state.Snapshot, std::string(60, 'N') + "|36|15|1111|11|-90|5|6|0.5000|0.1000|22");
}

TEST(Commands, AFontRecordNotifiesAgainOnceItsRotationIsSet) {
    TLogHarness h;
    const auto calls = Calls(OnePage([](TNdrWriter& w) { w.SetFont({.Name = "Arial", .Rotation = 90}); }), h);
    // name, colour, pitch, charset, size, then the rotation
    ASSERT_EQ(calls.size(), 6u);
    EXPECT_NE(calls[4].find("rotation=0"), std::string::npos);
    EXPECT_NE(calls[5].find("rotation=90"), std::string::npos);
}

TEST(Commands, FontNotificationsArriveForEveryChange) {
    TLogHarness h;
    const auto calls = Calls(OnePage([](TNdrWriter& w) {
        w.FontPitch(2);
        w.FontRotation(15);
    }), h);
    // The pitch command notifies twice: the font's own change, then the converter's.
    EXPECT_EQ(calls.size(), 3u);
    EXPECT_NE(calls[2].find("rotation=15"), std::string::npos);
}

TEST(Commands, PenAndBrushCommands) {
    TLogHarness h;
    const TGraphicData pattern {1, ndrwriter::SolidBitmap(8, 8, 0xFFFFFF)};
    const auto calls = Calls(OnePage([&](TNdrWriter& w) {
        w.SetPen(0x112233, 4, 1, 30000);
        w.PenColor(0xFF);
        w.PenMode(6);
        w.PenStyle(5);
        w.PenWidth(0.02f);
        w.SetBrush(0x00FF00, 2, &pattern);
        w.BrushColor(0x0000FF);
        w.BrushStyle(1);
        w.BrushBitmap(&pattern);
        w.BrushBitmap(nullptr);
    }), h);
    const Lines expected {
        "PenChanged color=00112233 mode=4 style=1 width=3 penwidth=0.0000",
        "PenChanged color=000000FF mode=4 style=1 width=3 penwidth=0.0000",
        "PenChanged color=000000FF mode=6 style=1 width=3 penwidth=0.0000",
        "PenChanged color=000000FF mode=6 style=5 width=3 penwidth=0.0000",
        "PenChanged color=000000FF mode=6 style=5 width=3 penwidth=0.0200",
        "BrushChanged color=0000FF00 style=0 bitmap=none",
        "BrushChanged color=0000FF00 style=2 bitmap=none",
        // the pattern is read into the bitmap after the brush took it
        "BrushChanged color=0000FF00 style=2 bitmap=bitmap 0 bytes",
        // 41 drops the pattern bitmap before it sets the colour
        "BrushChanged color=0000FF00 style=2 bitmap=none",
        "BrushChanged color=000000FF style=2 bitmap=none",
        "BrushChanged color=000000FF style=1 bitmap=none",
        "BrushChanged color=000000FF style=1 bitmap=bitmap 0 bytes",
    };
    EXPECT_EQ(calls, expected);
}

TEST(Commands, IgnoredCommandsAreSkippedWithTheirOperands) {
    TLogHarness h;
    const auto calls = Calls(OnePage([](TNdrWriter& w) {
        for (std::uint8_t code : {2, 4, 6, 9, 10, 26, 27, 28, 29, 30, 31, 34, 83, 84, 85, 86, 87, 88})
            w.IgnoredCommand(code);
        w.FrameMode(2);
        w.MoveTo(1, 2);
        w.Ellipse(0, 0, 1, 1);
    }), h);
    EXPECT_EQ(calls, Lines {"Ellipse 0.0000 0.0000 1.0000 1.0000"});
    EXPECT_EQ(h.Render.FFrameMode, 2);
}

TEST(Commands, UnknownCodesFailAfterTheDocumentIsEnded) {
    for (int code : {0, 38, 39, 44, 49, 64, 69, 75, 81, 89, 255}) {
        TLogHarness h;
        const auto result = h.Convert(OnePage([code](TNdrWriter& w) { w.Byte(static_cast<std::uint8_t>(code)); }));
        EXPECT_EQ(result.Error, Format("Unexpected code [%d] found in report file.", {code}));
        EXPECT_EQ(result.Lines.back(), "EndDocument");
    }
}

// ---- variables ----

TEST(Variables, NamesIgnoreCaseAndValuesMayBeStoredElsewhere) {
    TLogHarness h;
    const auto calls = Calls(OnePage([](TNdrWriter& w) {
        w.SetVariable("Total", "1");
        w.SetVariable("TOTAL", "2");
        w.SetVariableStoredElsewhere("far", "away");
        w.SetVariableStoredElsewhere("neg", "negative", true);
        w.PrintLeft(1, ndrwriter::VariableMacro("total") + ndrwriter::VariableMacro("FAR") +
                           ndrwriter::VariableMacro("neg") + ndrwriter::VariableMacro("none") + ".", 1);
    }), h);
    EXPECT_EQ(calls, Lines {"PrintLeft 1.0000 1.0000 \"2awaynegative.\""});
}

TEST(Variables, BadValuesAreReportErrors) {
    auto convert = [](std::initializer_list<std::uint8_t> value) {
        TLogHarness h;
        return h.Convert(OnePage([&](TNdrWriter& w) {
            w.Byte(37);
            w.Text("v");
            for (auto b : value) w.Byte(b);
        })).Error;
    };
    EXPECT_EQ(convert({129, 0}), "Variable value of [129] bytes found in report file.");
    EXPECT_EQ(convert({2, 3, 'a', 'b'}), "Variable value of [3] characters found in report file.");
    EXPECT_EQ(convert({2, 254, 0, 0}), "Variable value of [2] bytes found in report file.");
    // A reference to an offset past the end of the file.
    EXPECT_EQ(convert({4, 254, 0, 0, 0, 0x7F}), "Stream read error");
}

TEST(Variables, AReferenceChainThatComesBackIsRefused) {
    // The value at A refers to B, and B back to A.
    TLogHarness h;
    TNdrWriter w;
    w.BeginPage(1);
    w.Byte(37);
    w.Text("v");
    const std::int32_t a = w.Offset();
    w.Byte(4);
    w.Byte(254);
    w.Int32(a + 6);  // B follows right after A
    w.Byte(4);
    w.Byte(255);
    w.Int32(-a);
    w.EndPage();
    const auto result = h.Convert(w.Finish());
    EXPECT_EQ(result.Error, Format("Variable value at offset [%d] refers back to itself in report file.", {a}));
}

// ---- bad files ----

TEST(BadFiles, LengthsBeyondTheEndFailBeforeAnythingIsAllocated) {
    auto errorOf = [](const std::function<void(TNdrWriter&)>& commands) {
        TLogHarness h;
        auto bytes = OnePage(commands);
        bytes.pop_back();  // no end-of-page either
        return h.Convert(bytes).Error;
    };
    EXPECT_EQ(errorOf([](TNdrWriter& w) { w.Byte(5); w.Byte(1); w.Int32(0x7FFFFFF0); }), "Stream read error");
    EXPECT_EQ(errorOf([](TNdrWriter& w) { w.Byte(5); w.Byte(1); w.Int32(-5); }), "Stream read error");
    EXPECT_EQ(errorOf([](TNdrWriter& w) { w.Byte(36); w.Int32(1 << 30); }), "Stream read error");
    EXPECT_EQ(errorOf([](TNdrWriter& w) { w.Byte(24); w.Float(1); w.Byte(200); }), "Stream read error");
    EXPECT_EQ(errorOf([](TNdrWriter& w) { w.Byte(14); w.Int16(32767); }), "Stream read error");
    EXPECT_EQ(errorOf([](TNdrWriter& w) { w.Byte(5); w.Byte(0x81); w.Int32(1 << 28); }), "Stream read error");
    EXPECT_EQ(errorOf([](TNdrWriter& w) { w.Byte(14); w.Int16(-2); }),
              "Unexpected point count [65534] found in report file.");
    EXPECT_EQ(errorOf([](TNdrWriter& w) { w.Byte(5); w.Byte(4); }), "Unexpected graphic kind [4] found in report file.");
    EXPECT_EQ(errorOf([](TNdrWriter&) {}), "Stream read error");
}

TEST(BadFiles, AMacroWithoutDigitsIsAConversionError) {
    TLogHarness h;
    const auto result = h.Convert(OnePage([](TNdrWriter& w) { w.PrintLeft(1, "\xFD$RPCMx1", 1); }));
    EXPECT_EQ(result.Error, "'x1' is not a valid integer value");
}

}  // namespace
}  // namespace tal
