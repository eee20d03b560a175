// Fuzzes the extraction of a face from a TrueType collection. Whatever the
// input, extraction either raises EFontError or yields a font whose directory
// and tables all lie inside it and whose checksum adjustment is right.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "platform/fonts/FontEngine.h"
#include "platform/fonts/SfntCollection.h"

namespace {

std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
}

void Check(bool condition) {
    if (!condition) std::abort();
}

void CheckStandalone(const std::vector<std::uint8_t>& font) {
    Check(font.size() >= 12 && font.size() % 4 == 0);
    const std::size_t tables = static_cast<std::size_t>(font[4] << 8 | font[5]);
    Check(12 + 16 * tables <= font.size());
    bool hasHead = false;
    for (std::size_t t = 0; t < tables; ++t) {
        const std::size_t record = 12 + 16 * t;
        const std::uint64_t offset = U32(font, record + 8);
        const std::uint64_t length = U32(font, record + 12);
        Check(offset % 4 == 0 && offset + length <= font.size());
        if (U32(font, record) == 0x68656164 && length >= 12) hasHead = true;  // 'head'
    }
    if (hasHead) {
        std::uint32_t sum = 0;
        for (std::size_t at = 0; at < font.size(); at += 4) sum += U32(font, at);
        Check(sum == 0xB1B0AFBA);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    if (!tal::fonts::IsFontCollection(bytes)) return 0;
    for (std::uint32_t face = 0; face < 3; ++face) {
        try {
            CheckStandalone(tal::fonts::ExtractCollectionFace(bytes, face));
        } catch (const tal::EFontError&) {
        }
    }
    return 0;
}
