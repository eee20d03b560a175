#pragma once
// The pictures of the whole-process picture benchmark, made the same way by
// the report writer and by the bare program: 24-bit bitmaps of varied
// content (so that JPEG has real work) and charts as enhanced metafiles.
#include <cstdint>
#include <vector>

namespace tal::bench {

inline constexpr int BitmapWidth = 1000, BitmapHeight = 800;
inline constexpr int PictureCount = 200;
// The boxes a bitmap is stretched into, in points (whole points, so that
// the engine's raster has exactly the pixels at 300 ppi given beside them):
// a reduction by three quarters to 750 x 600 pixels, which cairo's smoothing
// filter does by convolution, and a slight one to 875 x 700 pixels (2.92 x
// 2.33 inches), which it does by interpolating.
struct TBitmapBox {
    const char* Name;
    int WidthPoints, HeightPoints;
    int Width() const { return WidthPoints * 300 / 72; }
    int Height() const { return HeightPoints * 300 / 72; }
};
inline constexpr TBitmapBox BitmapBoxes[] = {{"bitmaps", 180, 144}, {"bitmaps875", 210, 168}};
// A chart is drawn 6 x 4 inches: 1800 x 1200 pixels at 300 ppi.
inline constexpr float ChartWidth = 6.0f, ChartHeight = 4.0f;

// A "BM" file of BitmapWidth x BitmapHeight, bottom-up rows: gradients,
// waves, a few discs and some noise, different for every seed.
std::vector<std::uint8_t> BenchBitmap(int seed);

// The pictures stored one after the other, each as a 4-byte little-endian
// length and its bytes, for the bare program to read.
void AppendPicture(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& picture);

}  // namespace tal::bench
