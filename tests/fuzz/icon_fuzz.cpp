// Loads arbitrary bytes as an icon file and, when they decode, draws the
// chosen image into a small raster.
#include <cstdint>
#include <vector>

#include "platform/Graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tal::TIcon icon;
    try {
        icon.LoadFromBytes(std::vector<std::uint8_t>(data, data + size));
        (void)tal::DrawToRaster(icon, 16, 16);
    } catch (const tal::Exception&) {
    }
    return 0;
}
