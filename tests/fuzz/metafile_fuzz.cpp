// Loads arbitrary bytes as a Windows or enhanced metafile and, when they
// load, plays them into a small raster, and onto a transparent one with its
// mask (where raster operations meet an untouched background).
#include <cstdint>
#include <vector>

#include "platform/Graphic.h"
#include "platform/pictures/MaskedRaster.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tal::TMetafile metafile;
    try {
        metafile.LoadFromBytes(std::vector<std::uint8_t>(data, data + size));
        (void)tal::DrawToRaster(metafile, 64, 48);
        (void)tal::pictures::DrawMasked(metafile, 64, 48);
    } catch (const tal::Exception&) {
    }
    return 0;
}
