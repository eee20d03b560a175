#pragma once
// Device-independent bitmaps: the "BM" file, and the packed form (header,
// colour table, pixels) that metafiles and icons carry. Supports the core,
// info, V4 and V5 headers; 1, 4, 8, 16, 24 and 32 bits per pixel; BI_RGB,
// BI_RLE8, BI_RLE4 and BI_BITFIELDS; bottom-up and top-down rows.
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/pictures/ByteView.h"
#include "platform/pictures/Raster.h"

namespace tal::pictures {

enum : std::uint32_t { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3, BI_JPEG = 4, BI_PNG = 5, BI_ALPHABITFIELDS = 6 };
enum : std::uint32_t { DIB_RGB_COLORS = 0, DIB_PAL_COLORS = 1 };

inline constexpr std::uint32_t BitmapCoreHeaderSize = 12;
inline constexpr std::uint32_t BitmapInfoHeaderSize = 40;
inline constexpr std::uint32_t BitmapV4HeaderSize = 108;
inline constexpr std::uint32_t BitmapV5HeaderSize = 124;
inline constexpr std::size_t BitmapFileHeaderSize = 14;

struct TDibInfo {
    int Width = 0;
    int Height = 0;  // always positive; TopDown tells the row order
    bool TopDown = false;
    int BitCount = 0;
    std::uint32_t Compression = BI_RGB;
    // 0x00RRGGBB per entry; indexes past its end are black.
    std::vector<std::uint32_t> Palette;
    std::uint32_t RedMask = 0, GreenMask = 0, BlueMask = 0, AlphaMask = 0;
    // Bytes taken by header, masks and colour table: where packed pixels start.
    std::size_t InfoSize = 0;
    std::size_t Stride() const { return ((static_cast<std::size_t>(Width) * BitCount + 31) / 32) * 4; }
};

// Reads the header and colour table at the start of info. With heightDoubled
// (icon images) the stored height counts the colour and the mask rows and is
// halved. logicalPalette, when given, resolves DIB_PAL_COLORS tables, whose
// entries are 16-bit indexes into it.
TDibInfo ReadDibInfo(const TByteView& info, bool heightDoubled = false,
                     const std::vector<std::uint32_t>* logicalPalette = nullptr);

// Receives each decoded row once: Width pixels of 0xAARRGGBB, y counted from
// the top. Rows come top row first, but those of run-length bitmaps bottom
// row first, as they are stored. Alpha is the stored alpha of 32-bit pixels
// (0 when none is stored) and 0xFF otherwise.
using TDibRowSink = std::function<void(int y, const std::uint32_t* row)>;

// Decodes the pixels; bits must hold them all (refused otherwise, before any
// pixel store is allocated).
void DecodeDibPixels(const TDibInfo& info, const TByteView& bits, const TDibRowSink& sink);

// Whole pictures as opaque 24-bit rasters.
TRaster DecodeDibToRaster(const TDibInfo& info, const TByteView& bits);
TRaster DecodeBmpFile(const TByteView& file);
// A packed DIB: header and colour table directly followed by the pixels.
TRaster DecodePackedDib(const TByteView& packed, const std::vector<std::uint32_t>* logicalPalette = nullptr);

// True when the bytes start like a "BM" file.
bool LooksLikeBmpFile(const std::uint8_t* data, std::size_t size);

}  // namespace tal::pictures
