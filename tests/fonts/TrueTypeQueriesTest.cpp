// The PDF writer's questions: is a face TrueType, its outline metrics, ABC
// widths and font program, for report names and PDF base font names.
#include <gtest/gtest.h>

#include "FontTestSupport.h"
#include "platform/fonts/FontConfigEngine.h"

namespace tal {
namespace {

class TrueTypeQueriesTest : public ::testing::Test {
protected:
    TFontConfigEngine Engine;
};

TEST_F(TrueTypeQueriesTest, InstalledTrueTypeFamiliesAndTheirMetricAliasesCount) {
    for (const char* name : {"Liberation Sans", "liberation sans", "LiberationSans", "LiberationSans,Bold",
                             "LiberationSerif,BoldItalic", "DejaVu Sans", "DejaVuSans,Italic", "Arial", "ARIAL",
                             "Times New Roman", "TimesNewRoman,Italic", "Courier New", "DejaVu Serif Condensed"})
        EXPECT_TRUE(Engine.IsTrueTypeFace(name, 0)) << name;
    EXPECT_TRUE(Engine.IsTrueTypeFace("Arial", fsBold | fsItalic | fsUnderline));
}

TEST_F(TrueTypeQueriesTest, FallbacksGenericsAndOtherOutlinesDoNotCount) {
    // A fallback (DejaVu Sans for an unknown name), a generic name, and
    // faces with CFF outlines (URW's Type 1 clones, fontconfig's Symbol).
    for (const char* name : {"Qwzx Unheard Of", "Arial Black", "Comic Sans MS", "sans-serif", "serif", "monospace",
                             "Nimbus Sans", "Symbol", "Helvetica", ""})
        EXPECT_FALSE(Engine.IsTrueTypeFace(name, 0)) << name;
    EXPECT_FALSE(Engine.IsTrueTypeFace("Qwzx Unheard Of,Bold", fsBold));
}

TEST_F(TrueTypeQueriesTest, PdfNamesResolveToTheStyledFace) {
    const std::string dir = test::LIBERATION_DIR;
    EXPECT_EQ(Engine.FaceSource("LiberationSans", 0).File, dir + "LiberationSans-Regular.ttf");
    EXPECT_EQ(Engine.FaceSource("LiberationSans,Bold", 0).File, dir + "LiberationSans-Bold.ttf");
    EXPECT_EQ(Engine.FaceSource("LiberationSans,Italic", 0).File, dir + "LiberationSans-Italic.ttf");
    EXPECT_EQ(Engine.FaceSource("LiberationSans,BoldItalic", 0).File, dir + "LiberationSans-BoldItalic.ttf");
    EXPECT_EQ(Engine.FaceSource("TimesNewRoman,BoldItalic", 0).File, dir + "LiberationSerif-BoldItalic.ttf");
    EXPECT_EQ(Engine.FaceSource("DejaVuSans,Bold", 0).File, test::DEJAVU_DIR + "DejaVuSans-Bold.ttf");
    // The style argument adds to the suffix.
    EXPECT_EQ(Engine.FaceSource("LiberationSans,Italic", fsBold).File, dir + "LiberationSans-BoldItalic.ttf");
    EXPECT_EQ(Engine.FaceSource("Liberation Sans", fsBold).File, dir + "LiberationSans-Bold.ttf");
}

// Expected values follow from the fonts' tables (read with Python's struct
// module): scale(v) = v * 1000 / unitsPerEm rounded, halves away from zero.
// Liberation Sans: unitsPerEm 2048; OS/2 usWinAscent 1854, usWinDescent 434,
// xAvgCharWidth 1187, fsType 0, panose 2 11 6 4 ..., usFirstCharIndex 0x20,
// usLastCharIndex 0xFFFC; hhea 1854 / -434 / lineGap 67; head box -1114 -621
// 2666 2007; post italicAngle 0.
//   ascent 905.27 -> 905, descent 211.9 -> 212, internal leading
//   scale(2288 - 2048) = 117.2 -> 117, external leading scale(67 - (2288 -
//   2288)) = 32.7 -> 33, average 579.6 -> 580, max scale(3780) = 1845.7 ->
//   1846, box -543.9 956.5... -> (-544, 980, 1302, -303).
TEST_F(TrueTypeQueriesTest, LiberationSansOutlineMetrics) {
    const TOutlineMetrics m = Engine.GetOutlineMetrics("Liberation Sans", 0);
    EXPECT_EQ(m.FirstChar, 32);
    EXPECT_EQ(m.LastChar, 255);
    EXPECT_EQ(m.Ascent, 905);
    EXPECT_EQ(m.Descent, 212);
    EXPECT_EQ(m.Height, 1117);
    EXPECT_EQ(m.InternalLeading, 117);
    EXPECT_EQ(m.ExternalLeading, 33);
    EXPECT_EQ(m.AveCharWidth, 580);
    EXPECT_EQ(m.MaxCharWidth, 1846);
    EXPECT_EQ(m.FontBox, (TFontBox{-544, 980, 1302, -303}));
    EXPECT_EQ(m.PanoseFamilyType, 2);
    EXPECT_EQ(m.PanoseProportion, 4);
    EXPECT_EQ(m.FsType, 0);
    EXPECT_FALSE(m.EmbeddingForbidden());
    EXPECT_EQ(m.ItalicAngleTenths, 0);
    EXPECT_EQ(m.PitchAndFamily, TMPF_TRUETYPE | TMPF_VECTOR | TMPF_FIXED_PITCH);
    EXPECT_TRUE(m.IsTrueType());
    // Arial is Liberation Sans, metric for metric.
    const TOutlineMetrics arial = Engine.GetOutlineMetrics("Arial", 0);
    EXPECT_EQ(arial.Ascent, m.Ascent);
    EXPECT_EQ(arial.FontBox, m.FontBox);
}

// Liberation Serif Bold Italic: unitsPerEm 2048; usWinAscent 1825,
// usWinDescent 443, xAvgCharWidth 1141, panose 2 2 7 3 ...; hhea 1825 / -443
// / lineGap 87; head box -1114 -621 2678 2009; italicAngle -16.333 degrees.
//   ascent 891.1 -> 891, descent 216.3 -> 216, internal scale(220) = 107.4
//   -> 107, external scale(87) = 42.5 -> 42 (42.48), average 557.1 -> 557,
//   max scale(3792) = 1851.6 -> 1852, box (-544, 981, 1308, -303), italic
//   -163.3 tenths -> -163, -16.3 degrees -> -16.
TEST_F(TrueTypeQueriesTest, LiberationSerifBoldItalicOutlineMetrics) {
    const TOutlineMetrics m = Engine.GetOutlineMetrics("LiberationSerif,BoldItalic", 0);
    EXPECT_EQ(m.Ascent, 891);
    EXPECT_EQ(m.Descent, 216);
    EXPECT_EQ(m.Height, 1107);
    EXPECT_EQ(m.InternalLeading, 107);
    EXPECT_EQ(m.ExternalLeading, 42);
    EXPECT_EQ(m.AveCharWidth, 557);
    EXPECT_EQ(m.MaxCharWidth, 1852);
    EXPECT_EQ(m.FontBox, (TFontBox{-544, 981, 1308, -303}));
    EXPECT_EQ(m.PanoseFamilyType, 2);
    EXPECT_EQ(m.PanoseProportion, 3);
    EXPECT_EQ(m.ItalicAngleTenths, -163);
    EXPECT_EQ(m.ItalicAngleDegrees, -16);
    EXPECT_EQ(m.FirstChar, 32);
    EXPECT_EQ(m.LastChar, 255);
}

// DejaVu Sans: unitsPerEm 2048; usWinAscent 1901, usWinDescent 483,
// xAvgCharWidth 1038, panose 2 11 6 3 ...; hhea 1901 / -483 / lineGap 0;
// head box -2090 -948 3673 2524; last char 0xFFFF.
//   ascent 928.2 -> 928, descent 235.8 -> 236, internal scale(336) = 164.06
//   -> 164, external 0, average 506.8 -> 507, max scale(5763) = 2813.9 ->
//   2814, box (-1020.5 -> -1021, 1232.4 -> 1232, 1793.5 -> 1793 (1793.46),
//   -462.9 -> -463).
TEST_F(TrueTypeQueriesTest, DejaVuSansOutlineMetrics) {
    const TOutlineMetrics m = Engine.GetOutlineMetrics("DejaVu Sans", 0);
    EXPECT_EQ(m.Ascent, 928);
    EXPECT_EQ(m.Descent, 236);
    EXPECT_EQ(m.InternalLeading, 164);
    EXPECT_EQ(m.ExternalLeading, 0);
    EXPECT_EQ(m.AveCharWidth, 507);
    EXPECT_EQ(m.MaxCharWidth, 2814);
    EXPECT_EQ(m.FontBox, (TFontBox{-1021, 1232, 1793, -463}));
    EXPECT_EQ(m.PanoseProportion, 3);
    EXPECT_EQ(m.LastChar, 255);
}

TEST_F(TrueTypeQueriesTest, MonospacedAndCffFacesSayWhatTheyAre) {
    // Liberation Mono: panose proportion 9; GDI clears the "fixed pitch" bit
    // for a monospaced face.
    const TOutlineMetrics mono = Engine.GetOutlineMetrics("Courier New", 0);
    EXPECT_EQ(mono.PanoseProportion, 9);
    EXPECT_EQ(mono.PitchAndFamily & TMPF_FIXED_PITCH, 0);
    EXPECT_EQ(mono.AveCharWidth, 600);
    const TOutlineMetrics cff = Engine.GetOutlineMetrics("Nimbus Sans", 0);
    EXPECT_FALSE(cff.IsTrueType());
    EXPECT_GT(cff.Ascent, 0);
}

TEST_F(TrueTypeQueriesTest, AbcWidthsAddUpToTheScaledAdvances) {
    const std::string file = test::LIBERATION_DIR + "LiberationSans-Regular.ttf";
    const test::TSfntReader reader(test::ReadFile(file));
    const std::vector<TABCWidth> widths = Engine.GetCharABCWidths("LiberationSans", 0, 32, 255);
    ASSERT_EQ(widths.size(), 224u);
    for (int code = 32; code <= 255; ++code) {
        const std::uint16_t glyph = reader.GlyphForUnicode(test::Cp1252(static_cast<std::uint8_t>(code)));
        EXPECT_EQ(widths[code - 32].Advance(), test::ScaledPixels(reader.Advance(glyph), 1000, 2048)) << code;
    }
    // 'A': bearing 4, black box 1358, advance 1366 units: A = 1.95 -> 2,
    // right edge 665.04 -> 665, so B = 663 and C = 666.99 -> 667 - 665 = 2.
    EXPECT_EQ(widths['A' - 32], (TABCWidth{2, 663, 2}));
    EXPECT_EQ(widths[0], (TABCWidth{0, 0, 278}));  // the space has no black box
    EXPECT_EQ(widths[0x80 - 32].Advance(), 556);   // the euro sign, 1139 units
}

TEST_F(TrueTypeQueriesTest, AbcWidthRangesOutsideTheCodesAreRefused) {
    EXPECT_THROW(Engine.GetCharABCWidths("Liberation Sans", 0, 40, 39), EFontError);
    EXPECT_THROW(Engine.GetCharABCWidths("Liberation Sans", 0, -1, 10), EFontError);
    EXPECT_THROW(Engine.GetCharABCWidths("Liberation Sans", 0, 0, 256), EFontError);
    EXPECT_EQ(Engine.GetCharABCWidths("Liberation Sans", 0, 0, 255).size(), 256u);
}

TEST_F(TrueTypeQueriesTest, FontDataIsTheWholeFontFile) {
    EXPECT_EQ(Engine.GetFontData("LiberationSans,Bold", 0),
              test::ReadFile(test::LIBERATION_DIR + "LiberationSans-Bold.ttf"));
    EXPECT_EQ(Engine.GetFontData("Arial", fsItalic), test::ReadFile(test::LIBERATION_DIR + "LiberationSans-Italic.ttf"));
}

}  // namespace
}  // namespace tal
