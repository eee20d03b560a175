// Loads arbitrary bytes as an enhanced metafile and, when they load, re-records
// it as Windows metafile records; what it writes must load and play as a
// Windows metafile.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/Graphic.h"
#include "platform/pictures/EmfToWmf.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tal::TMetafile metafile;
    try {
        metafile.LoadFromBytes(std::vector<std::uint8_t>(data, data + size));
    } catch (const tal::Exception&) {
        return 0;
    }
    if (!metafile.Enhanced()) return 0;
    const tal::pictures::TByteView bytes(metafile.Bytes().data(), metafile.Bytes().size(), "Metafile");
    // Small frames, and one at the 16-bit limit of Windows metafile coordinates.
    for (const auto& [width, height] : {std::pair{64, 48}, std::pair{32767, 3}}) {
        const auto wmf = tal::pictures::TranslateEmfToWmf(bytes, metafile.Info(), {width, height, 300.0 / 102, 4u << 20});
        if (!wmf) continue;
        tal::TMetafile written;
        try {
            written.LoadFromBytes(*wmf);
        } catch (const tal::Exception&) {
            std::abort();  // the translation wrote a metafile that does not load
        }
        if (written.Enhanced()) std::abort();
        try {
            (void)tal::DrawToRaster(written, 64, 48);
        } catch (const tal::Exception&) {
        }
    }
    return 0;
}
