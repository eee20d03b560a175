// Loads arbitrary bytes as a bitmap file and, when they decode, draws the
// bitmap scaled into a small raster and encodes that as JPEG. Bitmaps above
// two megapixels are legal up to the raster cap but only slow the search, so
// they are left out here.
#include <cstdint>
#include <vector>

#include "platform/Graphic.h"
#include "platform/jpeg/JpegEncoder.h"
#include "platform/pictures/Dib.h"

namespace {

constexpr std::int64_t FuzzPixelLimit = 2'000'000;

bool TooLarge(const std::uint8_t* data, std::size_t size) {
    if (size <= tal::pictures::BitmapFileHeaderSize) return false;
    try {
        const tal::pictures::TDibInfo info = tal::pictures::ReadDibInfo(tal::pictures::TByteView(
            data + tal::pictures::BitmapFileHeaderSize, size - tal::pictures::BitmapFileHeaderSize, "Bitmap"));
        return std::int64_t{info.Width} * info.Height > FuzzPixelLimit;
    } catch (const tal::Exception&) {
        return false;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (TooLarge(data, size)) return 0;
    tal::TBitmap bitmap;
    try {
        bitmap.LoadFromBytes(std::vector<std::uint8_t>(data, data + size));
        tal::TRaster raster = tal::DrawToRaster(bitmap, 17, 11);
        (void)tal::EncodeJpeg(raster, 75);
    } catch (const tal::Exception&) {
    }
    return 0;
}
