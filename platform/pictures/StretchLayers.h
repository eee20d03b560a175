#pragma once
// What the metafile writers record for a picture that is not a metafile of
// their own kind: the picture as device-independent bitmaps stretched over
// the whole frame, each combined with the page by a raster operation.
#include <cstdint>
#include <limits>
#include <vector>

#include "platform/Graphic.h"

namespace tal::pictures {

// One bitmap of a picture: a packed DIB (header, colour table, pixels) drawn
// over the whole frame with the raster operation.
struct TDibLayer {
    std::vector<std::uint8_t> Info;  // BITMAPINFOHEADER and colour table
    std::vector<std::uint8_t> Bits;
    int Width = 0, Height = 0;
    std::uint32_t RasterOperation = 0;
};

// The most pixels a side that a bitmap or icon is recorded at: a picture
// needs no more than its box shows at the document's resolution.
struct TBitmapLimit {
    int Width = std::numeric_limits<int>::max();
    int Height = std::numeric_limits<int>::max();
};

// The layers of a graphic: a bitmap is one copied DIB; an icon its AND mask
// (SRCAND) and its colours (SRCINVERT), as icons are drawn; any other
// graphic is drawn into a white raster of rasterWidth x rasterHeight pixels.
// A bitmap or icon wider or higher than 16384 pixels, or of more than 16
// million pixels, is sampled down to fit, and so is one larger than limit
// (each side on its own, never enlarged). An empty graphic has no layers.
std::vector<TDibLayer> DibLayers(const TGraphic& graphic, int rasterWidth, int rasterHeight,
                                 TBitmapLimit limit = {});

// The raster size for a frame of width x height reference pixels drawn at
// scale raster pixels per reference pixel, reduced where needed so that it
// stays within 16384 pixels a side and 16 million pixels.
void RasterSize(int width, int height, double scale, int& rasterWidth, int& rasterHeight);

// Hundredths of a millimetre of a length in pixels of the 96 ppi reference
// screen, rounded half to even.
std::int64_t ReferencePixelsToHiMetric(std::int64_t pixels);

}  // namespace tal::pictures
