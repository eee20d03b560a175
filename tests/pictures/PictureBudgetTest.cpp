// The work a metafile may cost: pattern brushes decoded once at their own
// size and repeated, every drawing record charged with the pixels it
// touches, and a picture that spends its budget stopped with a clear error.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/Graphic.h"
#include "platform/pictures/Cairo.h"
#include "platform/pictures/MetafilePlayer.h"
#include "tests/pictures/MetafileSamples.h"
#include "tools/hostile/HostileReports.h"

namespace tal {
namespace {

using namespace tal::pictest;
using namespace tal::pictures;

TMetafile Load(const std::vector<std::uint8_t>& bytes) {
    TMetafile m;
    m.LoadFromBytes(bytes);
    return m;
}

// Plays bytes into a white size x size raster, charging budget.
TRaster PlayWith(const std::vector<std::uint8_t>& bytes, int size, TPictureBudget& budget) {
    const TMetafile metafile = Load(bytes);
    TRaster raster(size, size);
    TRasterCanvas canvas(raster);
    PlayMetafile(TByteView(metafile.Bytes().data(), metafile.Bytes().size(), "Metafile"), metafile.Info(),
                 canvas.Context(), {0, 0, double(size), double(size)}, &budget);
    canvas.Commit();
    return raster;
}

std::string StoppedWith(const std::function<void()>& draw) {
    try {
        draw();
    } catch (const EPictureBudget& e) {
        return e.what();
    }
    return "";
}

TEST(PictureBudget, PatternBrushesOfHugeTilesStopThePictureBeforeTheyAreDecoded) {
    // 880 bytes: eight brushes of 10,000 x 10,000 run-length pixels once
    // held eight full rasters (2.4 GB). The first tile is already past the
    // pattern limit, so nothing of it is decoded.
    const auto bytes = hostile::PatternBrushMetafile(10000, 8);
    const std::string message = StoppedWith([&] { DrawToRaster(Load(bytes), 100, 100); });
    EXPECT_EQ(message, "Metafile: the picture's pattern brushes need more than 16000000 pixels, the limit for one "
                      "picture; it was stopped");
}

TEST(PictureBudget, PatternTilesRepeatAtTheirOwnSizeAndCountOnce) {
    // Two 2,000 x 2,000 tiles fit the pattern limit (8 of 16 million
    // pixels); the brush paints its tile's colour over the whole frame.
    const auto bytes = hostile::PatternBrushMetafile(2000, 2);
    TPictureBudget budget("Metafile");
    const TRaster raster = PlayWith(bytes, 100, budget);
    EXPECT_EQ(raster.Pixel(50, 50), 0x604020u);  // the second brush's colour, 0x00RRGGBB 0x204060
    // Each tile is charged once (4 million pixels each) and each fill its
    // area: the brushes are not copied again for every fill.
    EXPECT_EQ(budget.Used(), 2 * (4'000'000 + 100 * 100));
    // A third and fourth tile pass the pattern limit of the picture.
    TPictureBudget second("Metafile");
    EXPECT_NE(StoppedWith([&] { PlayWith(hostile::PatternBrushMetafile(2000, 5), 100, second); }), "");
}

TEST(PictureBudget, EveryStretchedBitmapIsChargedBeforeItIsDecoded) {
    // StretchDIB records of a million pixels each: each costs its pixels
    // decoded, the 100 x 100 pixels they are reduced to for a box of that
    // size (not the million again), and the area it covers.
    const auto bytes = hostile::BlitMetafile(1000, 50, 0);
    TPictureBudget budget("Metafile", 10'000'000);
    const std::string message = StoppedWith([&] { PlayWith(bytes, 100, budget); });
    EXPECT_EQ(message, "Metafile: the picture needs more than 10000000 pixel operations, the limit for one picture; "
                       "it was stopped");
    // Nine records fit (1,020,000 each); the tenth's decoding is refused.
    EXPECT_EQ(budget.Used(), 10'000'000);
    TPictureBudget nine("Metafile", 10'000'000);
    EXPECT_EQ(StoppedWith([&] { PlayWith(hostile::BlitMetafile(1000, 9, 0), 100, nine); }), "");
    EXPECT_EQ(nine.Used(), 9 * 1'020'000);
}

TEST(PictureBudget, PatternBlitsAreChargedTheAreaTheyCover) {
    // PatBlt records over the whole frame of a 200 x 200 raster: 40,000
    // pixels each, so 25 of them spend a budget of a million.
    const auto bytes = hostile::BlitMetafile(10, 0, 1000);
    TPictureBudget budget("Metafile", 1'000'000);
    EXPECT_NE(StoppedWith([&] { PlayWith(bytes, 200, budget); }), "");
    TPictureBudget enough("Metafile", 1'000'000);
    EXPECT_EQ(StoppedWith([&] { PlayWith(hostile::BlitMetafile(10, 0, 24), 200, enough); }), "");
    EXPECT_EQ(enough.Used(), 24 * 40'000);
}

TEST(PictureBudget, RealDrawingsStayFarInsideTheBudget) {
    // The sample drawings cover their area a few times, not thousands.
    for (const auto& bytes : {SampleWmf(), SampleEmf()}) {
        TPictureBudget budget("Metafile");
        const TRaster raster = PlayWith(bytes, 300, budget);
        EXPECT_GT(budget.Used(), 0);
        EXPECT_LT(budget.Used(), 10 * 300 * 300);
    }
    EXPECT_EQ(TPictureBudget::MaxPixelOperations, 1'000'000'000);
}

TEST(PictureBudget, ARunLengthBitmapOfAHundredMillionPixelsIsTheLimit) {
    // 66 bytes can legally describe 10,000 x 10,000 pixels; one more row is
    // refused before anything is allocated.
    TBitmap over;
    try {
        over.LoadFromBytes(hostile::RleBitmap(10000, 10001));
        FAIL() << "a bitmap over the platform's cap was decoded";
    } catch (const EOutOfResources& e) {
        EXPECT_NE(std::string(e.what()).find("100000000"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(over.Empty());
}

TEST(PictureBudget, ABudgetRefusesNonsenseCharges) {
    TPictureBudget budget("Metafile", 100);
    budget.Charge(60);
    EXPECT_THROW(budget.Charge(std::nan("")), EPictureBudget);
    TPictureBudget negative("Metafile", 100);
    EXPECT_THROW(negative.Charge(-1), EPictureBudget);
    TPictureBudget tiles("Metafile", 100, 10);
    EXPECT_THROW(tiles.ChargePattern(1 << 30, 1 << 30), EPictureBudget);
    EXPECT_THROW(tiles.ChargePattern(-2, 3), EPictureBudget);
}

}  // namespace
}  // namespace tal
