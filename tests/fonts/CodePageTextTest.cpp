// Text in other code pages: report bytes decoded as the system decodes them,
// the face chosen to draw each code page, and widths measured on that face
// (compared with the face's own hmtx, read apart from the engine).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "FontTestSupport.h"
#include "platform/CodePageDecoder.h"
#include "platform/fonts/DrawnFontMeasure.h"
#include "platform/fonts/FontConfigEngine.h"
#include "platform/fonts/FontFace.h"

namespace tal {
namespace {

constexpr int CONVERTER_PPI = 1248;

const std::string RUSSIAN = "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0";  // 1251
const std::string JAPANESE = "\x93\xFA\x96{\x95\\\x82\xCC\x83" "e\x83L\x83X\x83g ABC";  // 932

bool Installed(const std::string& pattern) {
    return std::system(("fc-list '" + pattern + "' | grep -q .").c_str()) == 0;
}

TEST(CodePageDecoder, DecodesSingleAndDoubleByteCodePages) {
    TCodePageDecoder decoder;
    EXPECT_EQ(decoder.Decode(RUSSIAN, 1251), U"Привет, мир");
    EXPECT_EQ(decoder.Decode("\xCA\xE1\xEB\xE7\xEC\xDD\xF1\xE1", 1253), U"Καλημέρα");
    EXPECT_EQ(decoder.Decode("\xA3\xF3\x64\x9F", 1250), U"Łódź");
    // Trail bytes "{" and "\" belong to their characters (本, 表).
    EXPECT_EQ(decoder.Decode(JAPANESE, CP_SHIFT_JIS), U"日本表のテキスト ABC");
    EXPECT_EQ(decoder.Decode("\xD6\xD0\xCE\xC4 1", CP_GBK), U"中文 1");
    EXPECT_EQ(decoder.Decode("\xA4\xA4\xA4\xE5", CP_BIG5), U"中文");
    EXPECT_EQ(decoder.Decode("\xC7\xD1\xB1\xB9", CP_KOREAN), U"한국");
}

TEST(CodePageDecoder, UndefinedBytesAndCutCharactersGiveTheReplacementCharacter) {
    TCodePageDecoder decoder;
    EXPECT_EQ(decoder.Decode("A\xAA" "B", 1253), U"A\uFFFDB");       // 0xAA is unassigned in Greek
    EXPECT_EQ(decoder.Decode("ab\x93", CP_SHIFT_JIS), U"ab\uFFFD");  // a lead byte without its trail byte
    EXPECT_EQ(decoder.Decode(std::string("\x81\x00z", 3), CP_SHIFT_JIS), U"\uFFFDz");  // no such pair
    // A code page the system cannot convert reads as Windows-1252.
    EXPECT_EQ(decoder.Decode("\x80\xE9", 4242), U"€é");
}

class CodePageFaceTest : public ::testing::Test {
protected:
    TFont Font(const std::string& name, std::uint8_t charset, int size = 12) {
        TFont font;
        font.SetName(name);
        font.SetSize(size);
        font.SetCharset(charset);
        return font;
    }
    TFontConfigEngine Engine;
};

TEST_F(CodePageFaceTest, TheReportFaceDrawsItsScriptsAndAnotherFaceTheRest) {
    // Arial's metric alias has Cyrillic and Greek letters.
    fonts::TFontFace* arial = Engine.CodePageFace("Arial", 0, 1251);
    ASSERT_NE(arial, nullptr);
    EXPECT_EQ(arial->FamilyName(), "Liberation Sans");
    EXPECT_EQ(Engine.CodePageFace("Arial", 0, 1253), arial);
    EXPECT_EQ(Engine.CodePageFace("Arial", 0, 1251), arial);  // asked once
    if (!Installed(":lang=ja")) GTEST_SKIP() << "no Japanese face is installed";
    // Liberation Sans has no kana: the language's face draws them.
    fonts::TFontFace* japanese = Engine.CodePageFace("Arial", 0, CP_SHIFT_JIS);
    ASSERT_NE(japanese, nullptr);
    EXPECT_NE(japanese, arial);
    EXPECT_NE(japanese->GlyphOf(U'\u3042'), 0u);
    EXPECT_NE(japanese->GlyphOf(U'\u65E5'), 0u);
    EXPECT_TRUE(japanese->HasTrueTypeOutlines());
}

// Measured as drawn: each character's glyph on the code-page face, rounded
// to whole pixels on its own, as the Windows-1252 text is.
TEST_F(CodePageFaceTest, TextIsMeasuredOnTheFaceThatDrawsIt) {
    const test::TSfntReader sans(test::ReadFile(test::LIBERATION_DIR + "LiberationSans-Regular.ttf"));
    long expected = 0;
    for (char32_t c : U"Привет, мир") {
        if (c == 0) break;
        expected += test::ScaledPixels(sans.Advance(sans.GlyphForUnicode(static_cast<std::uint16_t>(c))), 208,
                                       sans.UnitsPerEm());
    }
    EXPECT_EQ(Engine.TextWidthPixels(Font("Arial", 204), CONVERTER_PPI, RUSSIAN), expected);
    // The same bytes as ANSI text are Windows-1252 letters, measured so.
    EXPECT_NE(Engine.TextWidthPixels(Font("Arial", 0), CONVERTER_PPI, RUSSIAN), expected);

    if (!Installed(":lang=ja")) GTEST_SKIP() << "no Japanese face is installed";
    fonts::TFontFace* face = Engine.CodePageFace("MS Gothic", 0, CP_SHIFT_JIS);
    ASSERT_NE(face, nullptr);
    long japanese = 0;
    for (char32_t c : std::u32string(U"日本表のテキスト ABC")) japanese += face->GlyphAdvance(face->GlyphOf(c), 208);
    EXPECT_EQ(Engine.TextWidthPixels(Font("MS Gothic", 128), CONVERTER_PPI, JAPANESE), japanese);
    // Eight full-width characters (an em each) and four half-width ones,
    // not twenty bytes' widths.
    EXPECT_NEAR(static_cast<double>(japanese), 8 * 208 + 4 * 104, 2 * 104);
}

// A face that is not installed is drawn in the code page's face, not in a
// standard PDF font: the drawn-font measure leaves such text to the engine.
TEST_F(CodePageFaceTest, AMissingFaceIsMeasuredOnItsCodePageFace) {
    TDrawnFontMeasure drawn(Engine);
    const std::string polish = "Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9";
    const TFont verdana = Font("Verdana Tallow Missing", 238);
    EXPECT_EQ(drawn.TextWidthPixels(verdana, CONVERTER_PPI, polish), Engine.TextWidthPixels(verdana, CONVERTER_PPI, polish));
    // In ANSI the same face is measured with Helvetica's widths.
    const TFont ansi = Font("Verdana Tallow Missing", 0);
    EXPECT_NE(drawn.TextWidthPixels(ansi, CONVERTER_PPI, polish), Engine.TextWidthPixels(ansi, CONVERTER_PPI, polish));
}

}  // namespace
}  // namespace tal
