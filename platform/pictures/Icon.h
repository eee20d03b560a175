#pragma once
// Icon files: a directory of images, each a DIB with its AND mask or a PNG
// stream. All images are decoded; the one drawn is the largest, and among
// those the deepest.
#include <cstdint>
#include <vector>

#include "platform/pictures/ByteView.h"
#include "platform/pictures/Raster.h"

namespace tal::pictures {

struct TIconImage {
    TRgbaImage Image;   // mask and alpha applied: transparent pixels have alpha 0
    int BitCount = 0;   // colour depth of the stored image (32 for PNG images)
    bool Png = false;
};

struct TIconFile {
    std::vector<TIconImage> Images;  // in directory order
    std::size_t Chosen = 0;          // the image that is drawn
};

// All images together may hold at most maxPixels pixels.
TIconFile DecodeIconFile(const TByteView& file, std::int64_t maxPixels = MaxRasterPixels);

// A PNG stream as a straight-alpha image (used by icons).
// A PNG stream as a straight-alpha image (used by icons); refused when its
// pixels exceed maxPixels.
TRgbaImage DecodePng(const TByteView& data, std::int64_t maxPixels = MaxRasterPixels);

bool LooksLikePng(const std::uint8_t* data, std::size_t size);

}  // namespace tal::pictures
