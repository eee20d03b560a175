// Loads arbitrary bytes as an icon file and, when they decode, draws the
// chosen image into a small raster. Icons whose images together exceed two
// megapixels are legal up to the raster cap but only slow the search.
#include <cstdint>
#include <vector>

#include "platform/Graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        (void)tal::pictures::DecodeIconFile(tal::pictures::TByteView(data, size, "Icon"), 2'000'000);
    } catch (const tal::Exception&) {
        return 0;
    }
    tal::TIcon icon;
    icon.LoadFromBytes(std::vector<std::uint8_t>(data, data + size));
    (void)tal::DrawToRaster(icon, 16, 16);
    return 0;
}
