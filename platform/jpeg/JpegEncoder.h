#pragma once
// JPEG compression of 24-bit RGB rasters through libjpeg: baseline, the
// library's default parameters, the given quality with baseline-limited
// quantisation tables, the JFIF header the defaults write.
#include <cstdint>
#include <vector>

#include "platform/Stream.h"
#include "platform/pictures/Raster.h"

namespace tal {

// Quality 1..100 (values outside are clamped). A raster without pixels cannot
// be a JPEG file and raises EInvalidGraphic; libjpeg failures raise
// EInvalidGraphic with the library's message.
std::vector<std::uint8_t> EncodeJpeg(const TRaster& raster, int quality);
void EncodeJpeg(const TRaster& raster, int quality, TStream& output);

}  // namespace tal
