#pragma once
// Small, valid picture files for tests and sample reports: a 24-bit DIB, a
// placeable Windows metafile that draws a rectangle, and a 32-bit icon.
#include <cstdint>
#include <vector>

namespace tal::ndrwriter {

// A width x height bitmap filled with one colour (0x00BBGGRR), bottom-up rows.
std::vector<std::uint8_t> SolidBitmap(int width, int height, std::uint32_t color);
// A placeable metafile of width x height twips holding one filled rectangle.
std::vector<std::uint8_t> RectangleMetafile(int widthTwips, int heightTwips);
// A size x size 32-bit icon of one colour whose AND mask leaves the left half
// transparent. Readers of 32-bit icons go by the alpha channel, which is
// opaque everywhere unless alphaFollowsMask makes it agree with the mask.
std::vector<std::uint8_t> HalfMaskedIcon(int size, std::uint32_t color, bool alphaFollowsMask = false);

}  // namespace tal::ndrwriter
