#pragma once
// JPEG compression of 24-bit RGB rasters through libjpeg: baseline, the
// library's default parameters, the given quality with baseline-limited
// quantisation tables, the JFIF header the defaults write.
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/Stream.h"
#include "platform/pictures/Raster.h"

namespace tal {

// Quality 1..100 (values outside are clamped). A raster without pixels cannot
// be a JPEG file and raises EInvalidGraphic; libjpeg failures raise
// EInvalidGraphic with the library's message.
std::vector<std::uint8_t> EncodeJpeg(const TRaster& raster, int quality);
void EncodeJpeg(const TRaster& raster, int quality, TStream& output);

// How the rows handed to EncodeJpegRows hold their pixels: R, G, B bytes, or
// the four bytes B, G, R, unused of a cairo RGB24 or ARGB32 pixel on a
// little-endian machine. The library converts either to the same samples, so
// both give the bytes EncodeJpeg gives for the same colours.
enum class TJpegRowLayout : std::uint8_t { Rgb, Bgrx };

// Row y (top row first, each asked for once, in order) of a width x height
// picture; the pointer need only stay valid until the next row is asked for.
using TJpegRowSource = std::function<const std::uint8_t*(int y)>;

// EncodeJpeg for pixels that are not in a TRaster: a drawing surface's rows
// are encoded where they are, or converted one row at a time.
std::vector<std::uint8_t> EncodeJpegRows(int width, int height, int quality, TJpegRowLayout layout,
                                         const TJpegRowSource& rows);

}  // namespace tal
