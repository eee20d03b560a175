// The whole engine over a face it is given in a folder of its own: the test
// face of make_symbol_font.py, installed only as a TrueType collection, with
// a symbol cmap, a restricted licence and a 12-degree italic angle.
#include <gtest/gtest.h>

#include "FontTestSupport.h"
#include "platform/fonts/FontConfigEngine.h"

namespace tal {
namespace {

const char* const FACE = "Tal Symbol Test";

class ShippedFaceTest : public ::testing::Test {
protected:
    TFontConfigEngine Engine{{test::TestDataPath("collection")}};
};

TEST_F(ShippedFaceTest, CollectionFaceIsFoundAndHandedOutStandalone) {
    const TFaceSource source = Engine.FaceSource(FACE, 0);
    EXPECT_TRUE(source.File.ends_with("collection.ttc")) << source.File;
    EXPECT_TRUE(source.IsRequestedFamily);
    EXPECT_TRUE(Engine.IsTrueTypeFace(FACE, 0));
    EXPECT_TRUE(Engine.IsTrueTypeFace("TalSymbolTest", 0));
    // Either face of the collection comes out as the font file it was made
    // from, not as the whole collection.
    EXPECT_EQ(Engine.GetFontData(FACE, 0), test::ReadFile(test::TestDataPath("symbol-test.ttf")));
}

TEST_F(ShippedFaceTest, MetricsOfTheSymbolFace) {
    // unitsPerEm 1000, so the table values stand as they are: usWinAscent
    // 800, usWinDescent 200, hhea 800 / -200 / lineGap 90, xAvgCharWidth 500,
    // head box 50 0 900 700, chars 0xF020..0xF042, fsType 0x0002 (restricted),
    // italicAngle -12.
    const TOutlineMetrics m = Engine.GetOutlineMetrics(FACE, 0);
    EXPECT_EQ(m.Ascent, 800);
    EXPECT_EQ(m.Descent, 200);
    EXPECT_EQ(m.InternalLeading, 0);
    EXPECT_EQ(m.ExternalLeading, 90);
    EXPECT_EQ(m.AveCharWidth, 500);
    EXPECT_EQ(m.MaxCharWidth, 850);
    EXPECT_EQ(m.FontBox, (TFontBox{50, 700, 900, 0}));
    EXPECT_EQ(m.FirstChar, 0x20);
    EXPECT_EQ(m.LastChar, 0x42);
    EXPECT_EQ(m.PanoseFamilyType, 5);
    EXPECT_TRUE(m.EmbeddingForbidden());
    EXPECT_EQ(m.FsType, 0x0003);
    EXPECT_EQ(m.ItalicAngleTenths, -120);
    EXPECT_EQ(m.ItalicAngleDegrees, -12);
    EXPECT_TRUE(m.IsTrueType());
}

TEST_F(ShippedFaceTest, CodesGoThroughTheSymbolCmap) {
    const std::vector<TABCWidth> widths = Engine.GetCharABCWidths(FACE, 0, 0x20, 0x43);
    ASSERT_EQ(widths.size(), 0x24u);
    EXPECT_EQ(widths[0], (TABCWidth{0, 0, 500}));            // 0xF020
    EXPECT_EQ(widths[0x41 - 0x20], (TABCWidth{100, 800, 100}));  // 0xF041, a square 100..900
    EXPECT_EQ(widths[0x42 - 0x20], (TABCWidth{50, 600, 50}));    // only at 0x0042
    EXPECT_EQ(widths[0x43 - 0x20].Advance(), 250);                // .notdef
    // Measuring, in the default charset as in the symbol charset: 12 points
    // at 1248 pixels per inch is 208 pixels for the 1000-unit em.
    TFont font;
    font.SetName(FACE);
    font.SetSize(12);
    EXPECT_EQ(Engine.TextWidthPixels(font, 1248, "A B"), 208 + 104 + 146);
    font.SetCharset(SYMBOL_CHARSET);
    EXPECT_EQ(Engine.TextWidthPixels(font, 1248, "A B"), 208 + 104 + 146);
}

TEST(ShippedFaceErrorsTest, AMissingFontFolderIsReported) {
    EXPECT_THROW(TFontConfigEngine({"/nonexistent/fonts"}), EFontError);
}

}  // namespace
}  // namespace tal
