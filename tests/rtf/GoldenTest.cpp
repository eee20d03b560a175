// Whole documents compared byte for byte with the files kept in golden/, so
// that any byte that moves is seen. TAL_UPDATE_GOLDEN=1 rewrites the files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "tests/rtf/RtfTestSupport.h"
#include "tests/pictures/MetafileSamples.h"
#include "tools/ndrwriter/SamplePictures.h"

namespace tal {
namespace {

using ndrwriter::TNdrWriter;

std::string GoldenPath(const std::string& name) { return std::string(TAL_SOURCE_DIR) + "/tests/rtf/golden/" + name; }

void ExpectGolden(const std::string& name, const testing::TRtfConversion& result) {
    ASSERT_EQ(result.Error, "");
    EXPECT_TRUE(testing::BracesBalanced(result.Rtf));
    if (std::getenv("TAL_UPDATE_GOLDEN")) {
        std::ofstream(GoldenPath(name), std::ios::binary) << result.Rtf;
        return;
    }
    std::ifstream in(GoldenPath(name), std::ios::binary);
    ASSERT_TRUE(in) << "no golden file " << GoldenPath(name);
    const std::string expected((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::size_t at = 0;
    while (at < expected.size() && at < result.Rtf.size() && expected[at] == result.Rtf[at]) ++at;
    EXPECT_EQ(at, expected.size()) << name << " differs from byte " << at << ": \""
                                   << result.Rtf.substr(at > 40 ? at - 40 : 0, 100) << "\"";
    EXPECT_EQ(result.Rtf.size(), expected.size());
}

std::vector<std::uint8_t> TextAndShapes() {
    TNdrWriter w;
    w.BeginPage(1);
    TNdrWriter::TFontRecord title;
    title.Name = "Times New Roman";
    title.SizeInches = 20.0f / 72;
    title.Bold = true;
    w.SetFont(title);
    w.PrintCenter(1, "Statement {of} Account", 4.25f);
    w.SetFont({});
    w.FontColor(0x0000C0);
    w.BrushColor(0xF0F0F0);
    w.PrintLeft(1.6f, "Item \\ 1001", 0.75f);
    w.PrintRight(1.6f, "1,482.50", 7.75f);
    w.FontItalic(true);
    w.FontUnderline(true);
    w.PrintBlock(2.2f, "Payment is due within thirty days.", 0.75f, 6.5f);
    w.FontFlagP(true);
    w.PrintLeft(2.6f, "raised", 0.75f);
    w.FontFlagP(false);
    w.FontFlagS(true);
    w.PrintLeft(2.6f, "lowered", 2.0f);
    w.FontFlagS(false);
    w.FontName("courier new");
    w.FontStrikeOut(true);
    w.PrintLeft(3.0f, "Page " + ndrwriter::BuiltInMacro(12) + " of " + ndrwriter::BuiltInMacro(10), 0.75f);
    w.TextRect(0.75f, 3.25f, 2.75f, 3.75f, 0.75f, 3.4f, "Clipped \xE9t\xE9 text");
    w.EndPage();

    w.BeginPage(2);
    w.SetPen(0x000000, 4, 0, 1.0f / 72);
    w.SetBrush(0xFFCC99, 0);
    w.Rectangle(0.75f, 1, 2.25f, 2);
    w.SetPen(0x0000FF, 4, 1, 2.0f / 72);
    w.SetBrush(0x99FF99, 6);
    w.RoundRect(2.75f, 1, 4.25f, 2, 0.25f, 0.25f);
    w.SetPen(0x808000, 4, 3, 3.0f / 72);
    w.SetBrush(0x000000, 1);
    w.Ellipse(4.75f, 1, 6.25f, 2);
    w.SetPen(0x000000, 4, 6, 1.0f / 72);
    w.MoveTo(0.75f, 3);
    w.LineTo(7.75f, 3);
    w.LineTo(0.75f, 5);
    w.LineTo(0.75f, 3);
    w.Arc(0, 0, 1, 1, 0, 0, 1, 1);  // nothing in RTF
    w.EndPage();
    return w.Finish();
}

// A bitmap, an icon and a metafile of the kind given, which stays vector.
std::vector<std::uint8_t> Pictures(const std::vector<std::uint8_t>& metafile) {
    TNdrWriter w;
    w.BeginPage(1);
    w.StretchBitmap({1, ndrwriter::SolidBitmap(8, 4, 0x3366CC), false}, 0.75f, 1, 2.75f, 2);
    w.StretchDraw({2, metafile, false}, 3, 1, 6, 2.5f);
    w.StretchDraw({3, ndrwriter::HalfMaskedIcon(16, 0x00A000), false}, 6.5f, 1, 7, 1.5f);
    w.EndPage();
    return w.Finish();
}

TEST(Golden, TextAndShapesOverTwoPages) { ExpectGolden("text_and_shapes.rtf", testing::ConvertToRtf(TextAndShapes())); }

TEST(Golden, PicturesAsHexadecimalWindowsMetafiles) { ExpectGolden("pictures_wmf_hex.rtf", testing::ConvertToRtf(Pictures(ndrwriter::RectangleMetafile(1440, 720)))); }

// An enhanced metafile in the default setting: Windows metafile records.
TEST(Golden, AnEnhancedMetafileAsHexadecimalWindowsMetafileRecords) {
    ExpectGolden("pictures_emf_in_wmf_hex.rtf", testing::ConvertToRtf(Pictures(pictest::SampleEmf())));
}

TEST(Golden, PicturesAsBinaryEnhancedMetafiles) {
    ExpectGolden("pictures_emf_binary.rtf", testing::ConvertToRtf(Pictures(pictest::SampleEmf()), [](TRvRenderRTF& r) {
                     r.ImageOutput = TImageOutput::ioSmallerSize;
                     r.ImageEncoding = TImageEncoding::ieBinary;
                 }));
}

}  // namespace
}  // namespace tal
