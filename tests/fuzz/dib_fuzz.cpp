// Loads arbitrary bytes as a bitmap file and, when they decode, draws the
// bitmap scaled into a small raster and encodes that as JPEG.
#include <cstdint>
#include <vector>

#include "platform/Graphic.h"
#include "platform/jpeg/JpegEncoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tal::TBitmap bitmap;
    try {
        bitmap.LoadFromBytes(std::vector<std::uint8_t>(data, data + size));
        tal::TRaster raster = tal::DrawToRaster(bitmap, 17, 11);
        (void)tal::EncodeJpeg(raster, 75);
    } catch (const tal::Exception&) {
    }
    return 0;
}
