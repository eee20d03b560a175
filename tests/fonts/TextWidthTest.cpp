// Measuring text: the engine's widths against advances read from the fonts'
// own hmtx tables.
#include <gtest/gtest.h>

#include <string>

#include "FontTestSupport.h"
#include "platform/fonts/FontConfigEngine.h"
#include "platform/fonts/FontFace.h"

namespace tal {
namespace {

constexpr int CONVERTER_PPI = 1248;

// Windows-1252 bytes: an em dash (0x97), u and o umlaut, the euro sign (0x80).
const std::string INVOICE_LINE = "Invoice No. 4711 \x97 M\xFCller & S\xF6hne, 12.50 \x80 (net)";

TFont MakeFont(const std::string& name, int size, TFontStyles style = 0) {
    TFont font;
    font.SetName(name);
    font.SetSize(size);
    font.SetStyle(style);
    return font;
}

long ExpectedWidth(const std::string& fontFile, long pixelsPerEm, const std::string& text) {
    const test::TSfntReader font(test::ReadFile(fontFile));
    long width = 0;
    for (const char c : text) {
        const std::uint16_t glyph = font.GlyphForUnicode(test::Cp1252(static_cast<std::uint8_t>(c)));
        width += test::ScaledPixels(font.Advance(glyph), pixelsPerEm, font.UnitsPerEm());
    }
    return width;
}

class TextWidthTest : public ::testing::Test {
protected:
    TFontConfigEngine Engine;
};

TEST_F(TextWidthTest, LiberationSansMatchesItsHmtxAtSeveralSizes) {
    const std::string file = test::LIBERATION_DIR + "LiberationSans-Regular.ttf";
    // 12 points at 1248 pixels per inch is 208 pixels per em; 7 and 10 points
    // (121.33 and 173.33) round down, 13 points (225.33) too, 11 (190.67) up.
    for (const auto& [points, pixelsPerEm] : {std::pair{12, 208L}, {7, 121L}, {10, 173L}, {11, 191L}, {13, 225L}}) {
        TFont font = MakeFont("Liberation Sans", points);
        EXPECT_EQ(Engine.TextWidthPixels(font, CONVERTER_PPI, INVOICE_LINE), ExpectedWidth(file, pixelsPerEm, INVOICE_LINE))
            << points << " points";
    }
}

TEST_F(TextWidthTest, EachGlyphIsRoundedOnItsOwn) {
    // 'i' (455 units) at 208 pixels per em is 46.2 pixels: ten of them are 460,
    // not the 462 that rounding the sum would give.
    TFont font = MakeFont("Liberation Sans", 12);
    EXPECT_EQ(Engine.TextWidthPixels(font, CONVERTER_PPI, "iiiiiiiiii"), 460);
}

TEST_F(TextWidthTest, StylesAndMetricAliasesPickTheirFaces) {
    const std::string text = "Quarterly Totals 2026";
    for (const auto& [style, file] : {std::pair<TFontStyles, std::string>{0, "LiberationSans-Regular.ttf"},
                                      {fsBold, "LiberationSans-Bold.ttf"},
                                      {fsItalic, "LiberationSans-Italic.ttf"},
                                      {fsBold | fsItalic, "LiberationSans-BoldItalic.ttf"}}) {
        TFont arial = MakeFont("Arial", 12, style);
        EXPECT_EQ(Engine.TextWidthPixels(arial, CONVERTER_PPI, text), ExpectedWidth(test::LIBERATION_DIR + file, 208, text))
            << file;
    }
    TFont times = MakeFont("Times New Roman", 12);
    EXPECT_EQ(Engine.TextWidthPixels(times, CONVERTER_PPI, text),
              ExpectedWidth(test::LIBERATION_DIR + "LiberationSerif-Regular.ttf", 208, text));
    // Underline and strike-out change nothing about the advances.
    TFont decorated = MakeFont("Arial", 12, fsUnderline | fsStrikeOut);
    TFont plain = MakeFont("Arial", 12);
    EXPECT_EQ(Engine.TextWidthPixels(decorated, CONVERTER_PPI, text), Engine.TextWidthPixels(plain, CONVERTER_PPI, text));
}

TEST_F(TextWidthTest, UnknownFaceIsMeasuredWithItsSubstitute) {
    const TFaceSource source = Engine.FaceSource("Qwzx Unheard Of", 0);
    EXPECT_FALSE(source.IsRequestedFamily);
    TFont font = MakeFont("Qwzx Unheard Of", 12);
    const long width = Engine.TextWidthPixels(font, CONVERTER_PPI, INVOICE_LINE);
    EXPECT_GT(width, 0);
    if (source.File.ends_with(".ttf")) {
        EXPECT_EQ(width, ExpectedWidth(source.File, 208, INVOICE_LINE)) << source.File;
    }
}

TEST_F(TextWidthTest, FixedPitchRequestForUnknownNameGetsAMonospacedFace) {
    TFont font = MakeFont("Qwzx Unheard Of", 12);
    font.SetPitch(TFontPitch::fpFixed);
    EXPECT_EQ(Engine.TextWidthPixels(font, CONVERTER_PPI, "iiii"), Engine.TextWidthPixels(font, CONVERTER_PPI, "MMMM"));
}

TEST_F(TextWidthTest, NegativeSizeAsksForTheCellHeight) {
    // -12 points is a 208-pixel cell; Liberation Sans's cell is 1854 + 434
    // units of a 2048 em, so the em is 208 * 2048 / 2288 = 186.2 -> 186 pixels.
    TFont font = MakeFont("Liberation Sans", -12);
    EXPECT_EQ(Engine.TextWidthPixels(font, CONVERTER_PPI, INVOICE_LINE),
              ExpectedWidth(test::LIBERATION_DIR + "LiberationSans-Regular.ttf", 186, INVOICE_LINE));
}

TEST_F(TextWidthTest, DegenerateInputs) {
    TFont font = MakeFont("Liberation Sans", 12);
    EXPECT_EQ(Engine.TextWidthPixels(font, CONVERTER_PPI, ""), 0);
    TFont zero = MakeFont("Liberation Sans", 0);
    EXPECT_EQ(Engine.TextWidthPixels(zero, CONVERTER_PPI, "abc"), 0);
    EXPECT_THROW(Engine.TextWidthPixels(font, 0, "abc"), EFontError);
    TFont huge = MakeFont("Liberation Sans", 2000000000);
    EXPECT_THROW(Engine.TextWidthPixels(huge, CONVERTER_PPI, "abc"), EFontError);
    // Every byte value has an advance, the control bytes and the five bytes
    // Windows-1252 leaves unassigned included.
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    EXPECT_GT(Engine.TextWidthPixels(font, CONVERTER_PPI, all), 0);
}

TEST_F(TextWidthTest, CachedMeasurementsFollowEveryChangeOfTheFont) {
    const std::string text = "Cache check";
    TFont font = MakeFont("Liberation Sans", 12);
    const long sans12 = Engine.TextWidthPixels(font, CONVERTER_PPI, text);
    font.SetSize(24);
    const long sans24 = Engine.TextWidthPixels(font, CONVERTER_PPI, text);
    font.SetName("Liberation Mono");
    const long mono24 = Engine.TextWidthPixels(font, CONVERTER_PPI, text);
    font.SetStyle(fsBold);
    const long monoBold24 = Engine.TextWidthPixels(font, CONVERTER_PPI, text);
    font.SetCharset(SYMBOL_CHARSET);
    const long monoSymbol = Engine.TextWidthPixels(font, CONVERTER_PPI, "\x80");
    font.SetCharset(DEFAULT_CHARSET);
    const long monoEuro = Engine.TextWidthPixels(font, CONVERTER_PPI, "\x80");
    EXPECT_NE(sans12, sans24);
    EXPECT_EQ(mono24, 11 * ExpectedWidth(test::LIBERATION_DIR + "LiberationMono-Regular.ttf", 416, "x"));
    EXPECT_EQ(monoBold24, ExpectedWidth(test::LIBERATION_DIR + "LiberationMono-Bold.ttf", 416, text));
    EXPECT_EQ(monoEuro, ExpectedWidth(test::LIBERATION_DIR + "LiberationMono-Bold.ttf", 416, "\x80"));
    (void)monoSymbol;
    font.AssignAttributes(MakeFont("Liberation Sans", 12));
    EXPECT_EQ(Engine.TextWidthPixels(font, CONVERTER_PPI, text), sans12);
    EXPECT_EQ(Engine.TextWidthPixels(font, 2 * CONVERTER_PPI, text), sans24);
}

TEST_F(TextWidthTest, SymbolCharsetMapsBytesWithoutWindows1252) {
    // Liberation Sans has no symbol cmap: in the symbol charset byte 0x80 is
    // U+0080, which the face lacks (.notdef), not the euro sign.
    const std::string file = test::LIBERATION_DIR + "LiberationSans-Regular.ttf";
    const test::TSfntReader reader(test::ReadFile(file));
    TFont font = MakeFont("Liberation Sans", 12);
    font.SetCharset(SYMBOL_CHARSET);
    EXPECT_EQ(Engine.TextWidthPixels(font, CONVERTER_PPI, "\x80"), test::ScaledPixels(reader.Advance(0), 208, 2048));
    EXPECT_EQ(Engine.TextWidthPixels(font, CONVERTER_PPI, "Ab"), ExpectedWidth(file, 208, "Ab"));
}

// A face whose only cmap is the (3,0) symbol cmap (tests/fonts/data/
// make_symbol_font.py): bytes are found at 0xF000 + byte, else at the byte.
TEST(SymbolFaceTest, AdvancesComeThroughTheSymbolCmap) {
    const fonts::TFreeTypeLibrary library = [] {
        FT_Library handle = nullptr;
        FT_Init_FreeType(&handle);
        return fonts::TFreeTypeLibrary(handle);
    }();
    fonts::TFontFace face(library.get(), test::TestDataPath("symbol-test.ttf"), 0, "Symbol Test");
    EXPECT_TRUE(face.IsSymbolFont());
    EXPECT_EQ(face.MappingFor(DEFAULT_CHARSET), fonts::TCodeMapping::Symbol);
    // 1000-unit em at 1000 pixels: advances in font units. 'A' is at 0xF041,
    // the space at 0xF020, 'B' only at 0x0042, 'C' nowhere (.notdef, 250).
    const auto& units = face.Advances(fonts::TCodeMapping::Symbol, 1000);
    EXPECT_EQ(units['A'], 1000);
    EXPECT_EQ(units[' '], 500);
    EXPECT_EQ(units['B'], 700);
    EXPECT_EQ(units['C'], 250);
    // At 75 pixels per em 'B' is 52.5 pixels: halves round up.
    EXPECT_EQ(face.Advances(fonts::TCodeMapping::Symbol, 75)['B'], 53);
    EXPECT_EQ(face.Advances(fonts::TCodeMapping::Symbol, 75)['C'], 19);
}

TEST(FontFaceTest, FilesThatCannotBeOpenedRaiseErrorsNamingTheFace) {
    FT_Library handle = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&handle), 0);
    const fonts::TFreeTypeLibrary library(handle);
    try {
        fonts::TFontFace face(library.get(), "/nonexistent/font.ttf", 0, "Vanished Sans");
        FAIL() << "a missing file opened";
    } catch (const EFontError& e) {
        EXPECT_NE(e.Message().find("Vanished Sans"), std::string::npos) << e.Message();
        EXPECT_NE(e.Message().find("/nonexistent/font.ttf"), std::string::npos) << e.Message();
    }
    const std::vector<std::uint8_t> garbage(100, 0x5A);
    EXPECT_THROW(fonts::TFontFace(library.get(), garbage, "Garbage"), EFontError);
    // A truncated real font: the directory is there, the tables are not.
    std::vector<std::uint8_t> truncated = test::ReadFile(test::TestDataPath("symbol-test.ttf"));
    truncated.resize(200);
    EXPECT_THROW(fonts::TFontFace(library.get(), truncated, "Truncated"), EFontError);
}

TEST(DefaultFontEngineTest, IsOneEngineThatMeasuresRealFaces) {
    TFontEngine& engine = DefaultFontEngine();
    EXPECT_EQ(&engine, &DefaultFontEngine());
    TFont font = MakeFont("Arial", 12);
    EXPECT_EQ(engine.TextWidthPixels(font, CONVERTER_PPI, INVOICE_LINE),
              ExpectedWidth(test::LIBERATION_DIR + "LiberationSans-Regular.ttf", 208, INVOICE_LINE));
}

}  // namespace
}  // namespace tal
