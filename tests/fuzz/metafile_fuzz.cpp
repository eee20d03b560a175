// Loads arbitrary bytes as a Windows or enhanced metafile and, when they
// load, plays them into a small raster.
#include <cstdint>
#include <vector>

#include "platform/Graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tal::TMetafile metafile;
    try {
        metafile.LoadFromBytes(std::vector<std::uint8_t>(data, data + size));
        (void)tal::DrawToRaster(metafile, 64, 48);
    } catch (const tal::Exception&) {
    }
    return 0;
}
