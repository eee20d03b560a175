// The metafile writers: a picture recorded stretched into a frame, read
// back by the metafile reader and played onto a raster.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "platform/pictures/ByteView.h"
#include "platform/pictures/StretchedEmf.h"
#include "platform/pictures/StretchedWmf.h"
#include "tests/pictures/MetafileSamples.h"
#include "tools/ndrwriter/SamplePictures.h"

namespace tal {
namespace {

using namespace tal::pictures;
constexpr std::uint32_t White = 0xFFFFFF, Red = 0x0000FF, Blue = 0xFF0000;
constexpr double Scale = 300.0 / 102.0;

template <typename T>
T Load(const std::vector<std::uint8_t>& bytes) {
    T graphic;
    graphic.LoadFromBytes(bytes);
    return graphic;
}

// The record functions of a Windows metafile, after its headers.
std::vector<std::uint16_t> WmfFunctions(const std::vector<std::uint8_t>& file) {
    const TByteView v(file.data(), file.size(), "test");
    std::vector<std::uint16_t> functions;
    for (std::size_t at = PlaceableHeaderSize + WmfHeaderSize; v.Has(at, 6);) {
        functions.push_back(v.U16(at + 4));
        if (v.U16(at + 4) == 0) break;
        at += 2 * static_cast<std::size_t>(v.U32(at));
    }
    return functions;
}

// The largest record of a Windows metafile in words, META_EOF included.
std::uint32_t WmfLargestRecord(const std::vector<std::uint8_t>& file) {
    const TByteView v(file.data(), file.size(), "test");
    std::uint32_t largest = 0;
    for (std::size_t at = PlaceableHeaderSize + WmfHeaderSize; v.Has(at, 6);) {
        largest = std::max(largest, v.U32(at));
        if (v.U16(at + 4) == 0 || v.U32(at) == 0) break;
        at += 2 * static_cast<std::size_t>(v.U32(at));
    }
    return largest;
}

std::vector<std::uint32_t> EmfTypes(const std::vector<std::uint8_t>& file) {
    const TByteView v(file.data(), file.size(), "test");
    std::vector<std::uint32_t> types;
    for (std::size_t at = 0; v.Has(at, 8); at += v.U32(at + 4)) {
        types.push_back(v.U32(at));
        if (v.U32(at) == 14 || v.U32(at + 4) == 0) break;
    }
    return types;
}

// Pixels of a and b, of the same size, that differ clearly.
int Differences(const TRaster& a, const TRaster& b) {
    int n = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) {
            const std::uint32_t p = a.Pixel(x, y), q = b.Pixel(x, y);
            int d = 0;
            for (int s = 0; s < 24; s += 8) d += std::abs(int((p >> s) & 0xFF) - int((q >> s) & 0xFF));
            n += d > 96;
        }
    return n;
}

TEST(StretchedWmf, ABitmapIsOneStretchedDibUnderAWindowOfTheFrame) {
    const auto bitmap = Load<TBitmap>(ndrwriter::SolidBitmap(4, 2, Red));
    const auto file = RecordStretchedWmf(bitmap, 204, 102, Scale);
    const TByteView v(file.data(), file.size(), "test");
    EXPECT_EQ(v.U32(0), PlaceableKey);
    EXPECT_EQ(v.I16(10), 204);
    EXPECT_EQ(v.I16(12), 102);
    EXPECT_EQ(v.U16(14), 96);
    std::uint16_t checksum = 0;
    for (int i = 0; i < 20; i += 2) checksum ^= v.U16(static_cast<std::size_t>(i));
    EXPECT_EQ(v.U16(20), checksum);
    EXPECT_EQ(v.U16(22), 1);  // a memory metafile
    EXPECT_EQ(v.U32(22 + 6) * 2, file.size() - 22);  // the size in words
    EXPECT_EQ(v.U32(22 + 12), WmfLargestRecord(file));
    EXPECT_EQ(WmfFunctions(file), (std::vector<std::uint16_t> {0x0103, 0x020B, 0x020C, 0x0F43, 0x0000}));

    const auto metafile = Load<TMetafile>(file);
    EXPECT_FALSE(metafile.Enhanced());
    EXPECT_EQ(metafile.Width(), 204);
    EXPECT_EQ(metafile.Height(), 102);
    const TRaster drawn = DrawToRaster(metafile, 60, 30);
    EXPECT_EQ(drawn.Pixel(1, 1), Red);
    EXPECT_EQ(drawn.Pixel(58, 28), Red);
}

TEST(StretchedEmf, ABitmapIsOneStretchedDibInAFrameOfTheReferenceScreen) {
    const auto bitmap = Load<TBitmap>(ndrwriter::SolidBitmap(4, 2, Red));
    const auto file = RecordStretchedEmf(bitmap, 204, 102, Scale);
    EXPECT_EQ(EmfTypes(file), (std::vector<std::uint32_t> {1, 81, 14}));
    const TByteView v(file.data(), file.size(), "test");
    EXPECT_EQ(v.I32(16), 203);  // bounds: the last pixel
    EXPECT_EQ(v.I32(20), 101);
    EXPECT_EQ(v.U32(48), file.size());
    EXPECT_EQ(v.U32(52), 3u);
    EXPECT_EQ(v.U16(56), 1);
    // The reference screen: 1920 x 1080 pixels at 96 ppi, in whole
    // millimetres and in exact micrometres.
    EXPECT_EQ(v.I32(72), 1920);
    EXPECT_EQ(v.I32(76), 1080);
    EXPECT_EQ(v.I32(80), 508);
    EXPECT_EQ(v.I32(84), 286);
    EXPECT_EQ(v.I32(100), 508000);
    EXPECT_EQ(v.I32(104), 285750);
    const auto metafile = Load<TMetafile>(file);
    EXPECT_TRUE(metafile.Enhanced());
    EXPECT_EQ(metafile.WidthHiMetric(), ReferencePixelsToHiMetric(204));
    EXPECT_EQ(metafile.Width(), 204);
    EXPECT_EQ(metafile.Height(), 102);
    const TRaster drawn = DrawToRaster(metafile, 60, 30);
    EXPECT_EQ(drawn.Pixel(1, 1), Red);
    EXPECT_EQ(drawn.Pixel(58, 28), Red);
}

// A 16 x 16 icon without alpha, so that its AND mask decides: the left half is transparent.
TIcon MaskedIcon() {
    auto bytes = ndrwriter::HalfMaskedIcon(16, Blue);
    for (std::size_t i = 0; i < 16 * 16; ++i) bytes[22 + 40 + 4 * i + 3] = 0;
    return Load<TIcon>(bytes);
}

TEST(StretchedMetafiles, AnIconKeepsItsMaskSoThePageShowsThrough) {
    const auto icon = MaskedIcon();
    ASSERT_EQ(DrawToRaster(icon, 32, 32).Pixel(4, 16), White);
    const auto wmf = RecordStretchedWmf(icon, 32, 32, Scale);
    const auto emf = RecordStretchedEmf(icon, 32, 32, Scale);
    EXPECT_EQ(WmfFunctions(wmf), (std::vector<std::uint16_t> {0x0103, 0x020B, 0x020C, 0x0F43, 0x0F43, 0x0000}));
    EXPECT_EQ(EmfTypes(emf), (std::vector<std::uint32_t> {1, 81, 81, 14}));
    for (const auto& file : {wmf, emf}) {
        const TRaster drawn = DrawToRaster(Load<TMetafile>(file), 32, 32);
        EXPECT_EQ(drawn.Pixel(4, 16), White);  // the masked left half
        EXPECT_EQ(drawn.Pixel(28, 16), Blue);
    }
}

TEST(StretchedMetafiles, AMetafileOfTheSameKindStaysVectorAndFillsTheNewFrame) {
    const auto wmfSource = Load<TMetafile>(pictest::SampleWmf());
    const auto wmf = RecordStretchedWmf(wmfSource, 150, 90, Scale);
    for (const std::uint16_t f : WmfFunctions(wmf)) EXPECT_NE(f, 0x0F43);  // no bitmap
    // Copied records count towards the largest record and the object table.
    EXPECT_EQ(TByteView(wmf.data(), wmf.size(), "test").U32(22 + 12), WmfLargestRecord(wmf));
    EXPECT_EQ(Load<TMetafile>(wmf).Info().ObjectCount, wmfSource.Info().ObjectCount);
    EXPECT_EQ(Differences(DrawToRaster(Load<TMetafile>(wmf), 150, 90), DrawToRaster(wmfSource, 150, 90)), 0);

    const auto emfSource = Load<TMetafile>(pictest::SampleEmf());
    const auto emf = RecordStretchedEmf(emfSource, 150, 90, Scale);
    for (const std::uint32_t t : EmfTypes(emf)) EXPECT_NE(t, 81u);
    // Hatches keep their device spacing, so only the shapes are compared here.
    EXPECT_LT(Differences(DrawToRaster(Load<TMetafile>(emf), 150, 90), DrawToRaster(emfSource, 150, 90)), 1000);
}

TEST(StretchedEmf, MappingModesWorldTransformsAndSavedStatesAreFoldedIntoTheFrame) {
    using namespace tal::pictest;
    TEmfWriter w;
    w.SetHandles(4);
    EmfSelect(w, StockObjectFlag | NULL_PEN);
    EmfBrush(w, 1, BS_SOLID, Red);
    EmfSelect(w, 1);
    EmfU32(w, TEmr::SetMapMode, MM_ANISOTROPIC);
    EmfPair(w, TEmr::SetWindowExtEx, 1000, 1000);
    EmfPair(w, TEmr::SetViewportExtEx, 100, 100);
    w.Add(TEmr::SaveDC, {});
    EmfXform(w, TEmr::SetWorldTransform, 1, 0, 0, 1, 500, 0);
    EmfBox(w, TEmr::Rectangle, 0, 0, 400, 400);  // the top right quarter
    w.Add(TEmr::RestoreDC, TRecordData().I32(-1));
    EmfBrush(w, 2, BS_SOLID, Blue);
    EmfSelect(w, 2);
    EmfBox(w, TEmr::Rectangle, 0, 600, 400, 1000);  // the bottom left quarter
    const auto source = Load<TMetafile>(FinishEmf(w));
    const auto emf = Load<TMetafile>(RecordStretchedEmf(source, 200, 120, Scale));
    const TRaster original = DrawToRaster(source, 200, 120), recorded = DrawToRaster(emf, 200, 120);
    EXPECT_EQ(recorded.Pixel(140, 20), Red);
    EXPECT_EQ(recorded.Pixel(40, 100), Blue);
    EXPECT_EQ(recorded.Pixel(40, 20), White);
    EXPECT_LT(Differences(recorded, original), 60);
}

TEST(StretchedEmf, FixedAndIsotropicMappingClippingAndEmfPlusComments) {
    using namespace tal::pictest;
    TEmfWriter w;  // 100 x 100 pixels at 100 pixels per inch
    w.SetHandles(4);
    EmfSelect(w, StockObjectFlag | NULL_PEN);
    EmfBrush(w, 1, BS_SOLID, Red);
    EmfBrush(w, 2, BS_SOLID, Blue);
    // The whole frame, in device units: it has to grow with the frame.
    TRecordData region;
    region.U32(48).U32(RGN_COPY).U32(32).U32(1).U32(1).U32(16);
    region.I32(0).I32(0).I32(100).I32(100).I32(0).I32(0).I32(100).I32(100);
    w.Add(TEmr::ExtSelectClipRgn, region);
    w.Add(TEmr::Comment, TRecordData().U32(8).U32(EmfPlusSignature).U32(0));
    EmfSelect(w, 1);
    EmfU32(w, TEmr::SetMapMode, MM_LOMETRIC);  // tenths of a millimetre, y up
    EmfBox(w, TEmr::Rectangle, 0, 0, 127, -127);  // the top left quarter
    EmfU32(w, TEmr::SetMapMode, MM_ISOTROPIC);
    EmfPair(w, TEmr::SetWindowExtEx, 200, 100);
    EmfPair(w, TEmr::SetViewportExtEx, 200, 100);
    w.Add(TEmr::ScaleViewportExtEx, TRecordData().I32(1).I32(2).I32(1).I32(1));  // 100 x 100: units of half a pixel
    EmfPair(w, TEmr::SetViewportOrgEx, 0, 50);
    EmfPair(w, TEmr::SetWindowOrgEx, 10, 0);
    EmfXform(w, TEmr::ModifyWorldTransform, 1, 0, 0, 1, 10, 0, MWT_LEFTMULTIPLY);
    EmfSelect(w, 2);
    EmfBox(w, TEmr::Rectangle, 100, 0, 200, 100);  // the bottom right quarter
    const auto source = Load<TMetafile>(FinishEmf(w));
    const auto file = RecordStretchedEmf(source, 200, 200, Scale);
    for (const std::uint32_t t : EmfTypes(file)) EXPECT_NE(t, 70u);  // EMF+ stays out
    const TRaster recorded = DrawToRaster(Load<TMetafile>(file), 200, 200);
    EXPECT_EQ(recorded.Pixel(50, 50), Red);
    EXPECT_EQ(recorded.Pixel(150, 150), Blue);
    EXPECT_EQ(recorded.Pixel(150, 50), White);
    EXPECT_EQ(recorded.Pixel(50, 150), White);
    EXPECT_LT(Differences(recorded, DrawToRaster(source, 200, 200)), 200);
}

TEST(StretchedMetafiles, AWindowsMetafileInAnEnhancedOneIsDrawnIntoABitmapAndTheOtherWayTranslated) {
    const auto wmfSource = Load<TMetafile>(pictest::SampleWmf());
    const auto emf = RecordStretchedEmf(wmfSource, 100, 100, Scale);
    EXPECT_EQ(EmfTypes(emf), (std::vector<std::uint32_t> {1, 81, 14}));
    EXPECT_LT(Differences(DrawToRaster(Load<TMetafile>(emf), 100, 100), DrawToRaster(wmfSource, 100, 100)), 400);
    // An enhanced metafile becomes Windows metafile records, no bitmap.
    const auto emfSource = Load<TMetafile>(pictest::SampleEmf());
    const auto wmf = RecordStretchedWmf(emfSource, 100, 100, Scale);
    const auto functions = WmfFunctions(wmf);
    EXPECT_EQ(std::count(functions.begin(), functions.end(), 0x0F43), 0);
    EXPECT_GT(functions.size(), 10u);
    // (its hatches keep the device's spacing, so the drawing is compared in the picture tests)
}

TEST(StretchedMetafiles, EmptyPicturesAndEmptyFramesGiveValidMetafiles) {
    const TBitmap empty;
    for (const auto& file : {RecordStretchedWmf(empty, 0, 0, Scale), RecordStretchedEmf(empty, 0, 0, Scale),
                             RecordStretchedWmf(Load<TBitmap>(ndrwriter::SolidBitmap(2, 2, Red)), 0, 5, Scale)}) {
        const auto metafile = Load<TMetafile>(file);
        EXPECT_EQ(metafile.Width(), 0);
        EXPECT_NO_THROW(DrawToRaster(metafile, 10, 10));
    }
    // Frames beyond 16 bits are clamped in a Windows metafile.
    const auto huge = RecordStretchedWmf(empty, 100000, 5, Scale);
    EXPECT_EQ(TByteView(huge.data(), huge.size(), "test").I16(10), 32767);
}

}  // namespace
}  // namespace tal
