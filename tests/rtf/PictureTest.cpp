// Pictures in the RTF document: the picture object around them, the size
// keywords, hexadecimal and binary data, both metafile kinds, and pictures
// that cannot be written.
#include <gtest/gtest.h>

#include "platform/pictures/StretchedEmf.h"
#include "platform/pictures/StretchedWmf.h"
#include "rtf/RtfSyntax.h"
#include "tests/rtf/RtfTestSupport.h"
#include "tools/hostile/HostileReports.h"
#include "tools/ndrwriter/SamplePictures.h"

namespace tal {
namespace {

using testing::BracesBalanced;
using testing::ConvertToRtf;
using testing::OnePage;
using testing::TRtfOperations;

const std::string ObjectStart =
    "\r\n\r\n{\\*\\do\\dobxpage\\dobypage\\dodhgt1\\dptxbx\\dptxlrtb\r\n{\\dptxbxtext\\pard\\plain \\ql "
    "\\li0\\ri0\\widctlpar\\aspalpha\\aspnum\\faauto\\adjustright\\rin0\\lin0\\itap0 "
    "\\fs24\\lang1033\\langfe1033\\cgrid\\langnp1033\\langfenp1033{\r\n{\\pict ";
const std::string ObjectEnd =
    "}\\par}}\r\n\\dpx1440\\dpy1440\\dpxsize2880\\dpysize1440"
    "\\dplinehollow\\dplinecor0\\dplinecog0\\dplinecob0\\dplinew1"
    "\\dpfillfgcr255\\dpfillfgcg255\\dpfillfgcb255\\dpfillbgcr255\\dpfillbgcg255\\dpfillbgcb255\\dpfillpat0}";
// A 2 by 1 inch box: a frame of 204 x 102 reference pixels.
const std::string Size = "\\picw5398\\pich2699\\picwgoal2880\\pichgoal1440";

TBitmap RedBitmap() {
    TBitmap bitmap;
    bitmap.LoadFromBytes(ndrwriter::SolidBitmap(4, 2, 0x0000FF));
    return bitmap;
}

std::string Chars(const std::vector<std::uint8_t>& bytes, std::size_t from) {
    return std::string(bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.end());
}

TEST(Picture, HexadecimalWindowsMetafileWithoutItsPlaceableHeader) {
    TRtfOperations op;
    TBitmap bitmap = RedBitmap();
    op.Render.StretchBitmap(bitmap, 1, 1, 3, 2);
    const auto wmf = pictures::RecordStretchedWmf(bitmap, 204, 102, 300.0 / 102.0);
    const std::string hex = rtf::HexLines(wmf.data() + 22, wmf.size() - 22);
    EXPECT_EQ(op.Body(), ObjectStart + "\\wmetafile8" + Size + " " + hex + ObjectEnd);
    // Full lines of 64 digits; the data starts with the standard metafile header.
    EXPECT_EQ(hex.substr(0, 8), "01000900");
    EXPECT_EQ(hex.find("D7CDC69A"), std::string::npos);
    EXPECT_EQ(hex.substr(64, 2), "\r\n");
}

TEST(Picture, BinaryDataFollowsItsByteCount) {
    TRtfOperations op;
    op.Render.ImageEncoding = TImageEncoding::ieBinary;
    TBitmap bitmap = RedBitmap();
    op.Render.StretchDraw(TRect {72, 216, 216, 144}, bitmap);  // corners in any order
    const auto wmf = pictures::RecordStretchedWmf(bitmap, 204, 102, 300.0 / 102.0);
    const std::string expected = ObjectStart + "\\wmetafile8" + Size + "\\bin" + std::to_string(wmf.size() - 22) +
                                 " " + Chars(wmf, 22) +
                                 "}\\par}}\r\n\\dpx1440\\dpy2880\\dpxsize2880\\dpysize1440";
    EXPECT_EQ(op.Body().substr(0, expected.size()), expected);
    EXPECT_TRUE(BracesBalanced(op.Finish()));
}

TEST(Picture, SmallerSizeEmbedsAWholeEnhancedMetafile) {
    TRtfOperations op;
    op.Render.ImageOutput = TImageOutput::ioSmallerSize;
    TBitmap bitmap = RedBitmap();
    op.Render.StretchBitmap(bitmap, 1, 1, 3, 2);
    const auto emf = pictures::RecordStretchedEmf(bitmap, 204, 102, 300.0 / 102.0);
    EXPECT_EQ(op.Body(), ObjectStart + "\\emfblip" + Size + " " + rtf::HexLines(emf.data(), emf.size()) + ObjectEnd);
}

TEST(Picture, DataOfAWholeNumberOfLinesEndsWithALineBreak) {
    std::vector<std::uint8_t> bytes(64, 0xAB);
    const std::string hex = rtf::HexLines(bytes.data(), bytes.size());
    EXPECT_EQ(hex.size(), 2 * (64 + 2));
    EXPECT_EQ(hex.substr(hex.size() - 2), "\r\n");
    EXPECT_EQ(rtf::HexLines(bytes.data(), 33).substr(64), "\r\nAB");
}

TEST(Picture, EveryKindOfGraphicInAReportBecomesAPictureObject) {
    const ndrwriter::TGraphicData bitmap {1, ndrwriter::SolidBitmap(3, 3, 0x00FF00), false};
    const ndrwriter::TGraphicData metafile {2, ndrwriter::RectangleMetafile(1440, 720), false};
    const ndrwriter::TGraphicData icon {3, ndrwriter::HalfMaskedIcon(16, 0xFF0000), false};
    for (const auto output : {TImageOutput::ioHigherQuality, TImageOutput::ioSmallerSize})
        for (const auto encoding : {TImageEncoding::ieHex, TImageEncoding::ieBinary}) {
            const auto result = ConvertToRtf(OnePage([&](ndrwriter::TNdrWriter& w) {
                w.StretchBitmap(bitmap, 1, 1, 2, 2);
                w.StretchDraw(metafile, 1, 3, 3, 4);
                w.StretchDraw(icon, 4, 4, 4.5f, 4.5f);
            }), [&](TRvRenderRTF& r) {
                r.ImageOutput = output;
                r.ImageEncoding = encoding;
            });
            EXPECT_EQ(result.Error, "");
            EXPECT_EQ(testing::Count(result.Rtf, "{\\pict "), 3u);
            EXPECT_TRUE(BracesBalanced(result.Rtf));
        }
}

TEST(Picture, AnUndecodablePictureFailsClearlyAndTheDocumentIsStillFinished) {
    const ndrwriter::TGraphicData garbage {2, {1, 2, 3, 4, 5, 6, 7, 8}, false};
    const auto result = ConvertToRtf(OnePage([&](ndrwriter::TNdrWriter& w) {
        w.PrintLeft(1, "before", 1);
        w.StretchDraw(garbage, 1, 1, 2, 2);
    }));
    EXPECT_NE(result.Error.find("Metafile"), std::string::npos) << result.Error;
    EXPECT_NE(result.Rtf.find("before\\par}}"), std::string::npos);
    EXPECT_TRUE(BracesBalanced(result.Rtf));
    EXPECT_EQ(result.Rtf.substr(result.Rtf.size() - 5), "\\par}");
}

// A picture that fails when it is drawn.
class TBrokenGraphic final : public TGraphic {
public:
    TBrokenGraphic() { FBytes = {1}; }
    TGraphicKind Kind() const override { return TGraphicKind::Metafile; }
    void StretchDraw(TRaster&, const TPixelRect&) const override { throw EInvalidGraphic("Metafile: broken"); }
};

TEST(Picture, APictureThatCannotBeRecordedLeavesNoOpenGroup) {
    TRtfOperations op;
    TBrokenGraphic broken;
    EXPECT_THROW(op.Render.StretchDraw(TRect {0, 0, 72, 72}, broken), EInvalidGraphic);
    EXPECT_EQ(op.Body(), "");
    EXPECT_TRUE(BracesBalanced(op.Finish()));
}

TEST(Picture, ABitmapBeyondSixteenBitCoordinatesIsSampledDown) {
    TBitmap wide;
    wide.LoadFromBytes(ndrwriter::SolidBitmap(40000, 2, 0x0000FF));
    TMetafile recorded;
    recorded.LoadFromBytes(pictures::RecordStretchedWmf(wide, 100, 10, 300.0 / 102.0));
    EXPECT_EQ(DrawToRaster(recorded, 50, 5).Pixel(25, 2), 0x0000FFu);
}

TEST(Picture, AnEmptyBoxStillGivesACompletePicture) {
    TRtfOperations op;
    TBitmap bitmap = RedBitmap();
    op.Render.StretchBitmap(bitmap, 1, 1, 1, 1);
    const std::string body = op.Body();
    EXPECT_NE(body.find("\\wmetafile8\\picw0\\pich0\\picwgoal0\\pichgoal0 "), std::string::npos);
    EXPECT_TRUE(BracesBalanced(op.Finish()));
}

// ---- resource budgets ----

// Width and height of the first DIB of the Windows metafile embedded, in
// hexadecimal, in the first picture of body.
std::pair<int, int> EmbeddedDibSize(const std::string& body) {
    const std::size_t start = body.find(' ', body.find("\\pichgoal")) + 1;
    const std::size_t end = body.find('}', start);
    std::vector<std::uint8_t> wmf;
    for (std::size_t i = start; i + 1 < end; ++i) {
        if (body[i] == '\r' || body[i] == '\n') continue;
        wmf.push_back(static_cast<std::uint8_t>(std::stoi(body.substr(i, 2), nullptr, 16)));
        ++i;
    }
    auto u16 = [&](std::size_t at) { return wmf.at(at) | (wmf.at(at + 1) << 8); };
    auto u32 = [&](std::size_t at) { return static_cast<std::uint32_t>(u16(at) | (u16(at + 2) << 16)); };
    for (std::size_t at = 18; at + 6 <= wmf.size() && u32(at) >= 3; at += 2 * std::size_t{u32(at)})
        if (u16(at + 4) == static_cast<int>(pictures::TWmf::StretchDIB))
            return {static_cast<int>(u32(at + 6 + 22 + 4)), static_cast<int>(u32(at + 6 + 22 + 8))};
    return {0, 0};
}

TEST(PictureBudget, ABitmapLargerThanItsBoxIsWrittenAtThreeHundredPixelsAnInch) {
    // 66 bytes of run-length data for 16 million pixels, in a box of 1 by
    // 0.5 inch: written at 300 x 150 pixels, not at its own 4000 x 4000 (a
    // 97 MB picture) as before.
    TRtfOperations op;
    TBitmap huge;
    huge.LoadFromBytes(hostile::RleBitmap(4000, 4000));
    op.Render.StretchBitmap(huge, 1, 1, 2, 1.5);
    EXPECT_EQ(EmbeddedDibSize(op.Body()), std::make_pair(300, 150));
    EXPECT_LT(op.Body().size(), 300u * 150 * 3 * 2 * 33 / 32 + 4096);
    // A box of a fraction of a pixel still keeps one, rounding up.
    TRtfOperations tiny;
    tiny.Render.StretchBitmap(huge, 1, 1, 1.001, 1.0101);
    EXPECT_EQ(EmbeddedDibSize(tiny.Body()), std::make_pair(1, 4));
}

TEST(PictureBudget, BitmapsThatFitTheirBoxKeepTheirPixels) {
    // 600 x 20 pixels in a 2 by 1 inch box: the width fits exactly, the
    // height is already smaller; nothing is sampled, never up.
    TRtfOperations op;
    TBitmap bitmap;
    bitmap.LoadFromBytes(ndrwriter::SolidBitmap(600, 20, 0x0000FF));
    op.Render.StretchBitmap(bitmap, 1, 1, 3, 2);
    EXPECT_EQ(EmbeddedDibSize(op.Body()), std::make_pair(600, 20));
    const auto wmf = pictures::RecordStretchedWmf(bitmap, 204, 102, 300.0 / 102.0);
    EXPECT_EQ(op.Body(), ObjectStart + "\\wmetafile8" + Size + " " + rtf::HexLines(wmf.data() + 22, wmf.size() - 22) +
                             ObjectEnd);
    // Only one side too large: only that side is sampled.
    TRtfOperations wide;
    TBitmap long_;
    long_.LoadFromBytes(ndrwriter::SolidBitmap(900, 20, 0x0000FF));
    wide.Render.StretchBitmap(long_, 1, 1, 3, 2);
    EXPECT_EQ(EmbeddedDibSize(wide.Body()), std::make_pair(600, 20));
}

TEST(PictureBudget, ARepeatedPictureStopsAtTheBodyLimitWithoutAnOpenGroup) {
    // A shared metafile drawn again and again would make gigabytes of RTF
    // from a small report: the picture that would pass the limit fails
    // before any of its bytes is written.
    EXPECT_EQ(TRvRenderRTF::MaxBodyBytes, std::int64_t{256} << 20);
    TRtfOperations op;
    op.Render.BodyLimit = 40000;
    TBitmap bitmap;
    bitmap.LoadFromBytes(ndrwriter::SolidBitmap(60, 60, 0x0000FF));  // about 22 KB of hexadecimal
    op.Render.StretchBitmap(bitmap, 1, 1, 2, 2);
    const std::string first = op.Body();
    try {
        op.Render.StretchBitmap(bitmap, 1, 1, 2, 2);
        FAIL() << "the second picture passed the limit";
    } catch (const EOutOfResources& e) {
        EXPECT_NE(std::string(e.what()).find("larger than 40000 bytes"), std::string::npos) << e.what();
    }
    EXPECT_EQ(op.Body(), first);
    EXPECT_TRUE(BracesBalanced(op.Finish()));
}

TEST(PictureBudget, AWholeReportOfRepeatedLargePicturesFailsWithTheLimitsMessage) {
    // 200 uses of one shared picture of 245 KB of hexadecimal each, under a
    // limit of 1 MB: the document ends, well formed, after four of them.
    const auto report = OnePage([](ndrwriter::TNdrWriter& ndr) {
        const ndrwriter::TGraphicData picture{1, hostile::RleBitmap(200, 200), true};
        for (int i = 0; i < 200; ++i) ndr.StretchBitmap(picture, 0, 0, 7, 7);
    });
    const auto result = ConvertToRtf(report, [](TRvRenderRTF& r) { r.BodyLimit = 1 << 20; });
    EXPECT_EQ(result.Error, "The RTF document would be larger than 1048576 bytes, the limit for one document; its "
                            "pictures make it too large");
    EXPECT_EQ(testing::Count(result.Rtf, "{\\pict "), 4u);
    EXPECT_LE(result.Rtf.size(), std::size_t{1} << 20);
    EXPECT_TRUE(BracesBalanced(result.Rtf));
}

TEST(PictureBudget, AMetafileWhosePixelsWouldPassTheLimitIsRefusedBeforeItIsDrawn) {
    // A Windows metafile of blits that would spend its whole drawing budget
    // (a billion pixel operations), in a box of a million inches recorded
    // as an enhanced metafile: its 16 million pixels pass a limit of 1 MB,
    // so it is refused with the limit's message and never drawn.
    TRtfOperations op;
    op.Render.BodyLimit = 1 << 20;
    op.Render.ImageOutput = TImageOutput::ioSmallerSize;
    TMetafile metafile;
    metafile.LoadFromBytes(hostile::BlitMetafile(10000, 12, 0));
    try {
        op.Render.StretchDraw(TRect {0, 0, 72'000'000, 72'000'000}, metafile);
        FAIL() << "the picture passed the limit";
    } catch (const EOutOfResources& e) {
        EXPECT_NE(std::string(e.what()).find("larger than 1048576 bytes"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(BracesBalanced(op.Finish()));
}

}  // namespace
}  // namespace tal
