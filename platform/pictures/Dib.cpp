#include "platform/pictures/Dib.h"

#include <bit>
#include <limits>
#include <string>

namespace tal::pictures {

namespace {

constexpr std::size_t MaxPaletteEntries = 256;

bool ValidDepth(int bpp) { return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32; }

void CheckCompression(const TByteView& v, const TDibInfo& d) {
    switch (d.Compression) {
        case BI_RGB: return;
        case BI_RLE8:
            if (d.BitCount != 8) v.Fail("RLE8 compression needs 8 bits per pixel, not " + std::to_string(d.BitCount));
            return;
        case BI_RLE4:
            if (d.BitCount != 4) v.Fail("RLE4 compression needs 4 bits per pixel, not " + std::to_string(d.BitCount));
            return;
        case BI_BITFIELDS:
        case BI_ALPHABITFIELDS:
            if (d.BitCount != 16 && d.BitCount != 32)
                v.Fail("bit-field masks need 16 or 32 bits per pixel, not " + std::to_string(d.BitCount));
            return;
        default: v.Fail("unsupported compression " + std::to_string(d.Compression));
    }
}

void DefaultMasks(TDibInfo& d) {
    if (d.BitCount == 16) {
        d.RedMask = 0x7C00;
        d.GreenMask = 0x03E0;
        d.BlueMask = 0x001F;
    } else if (d.BitCount == 32) {
        d.RedMask = 0x00FF0000;
        d.GreenMask = 0x0000FF00;
        d.BlueMask = 0x000000FF;
        d.AlphaMask = 0xFF000000;
    }
}

// A mask must be one run of set bits inside the pixel's width.
void CheckMask(const TByteView& v, std::uint32_t mask, int bpp) {
    if (mask == 0) return;
    if (bpp == 16 && (mask >> 16) != 0) v.Fail("a colour mask lies outside the 16-bit pixel");
    const std::uint32_t shifted = mask >> std::countr_zero(mask);
    if ((shifted & (shifted + 1)) != 0) v.Fail("a colour mask is not one run of bits");
}

// Colour tables: RGBQUAD (or RGBTRIPLE for core headers) entries, or 16-bit
// indexes into the logical palette.
void ReadPalette(const TByteView& v, TDibInfo& d, std::size_t offset, std::size_t stored, std::size_t entrySize,
                 const std::vector<std::uint32_t>* logicalPalette) {
    if (logicalPalette) entrySize = 2;
    // A colour table cut short by the data keeps the entries that are there.
    const std::size_t available = v.Size() > offset ? (v.Size() - offset) / entrySize : 0;
    const std::size_t present = std::min(stored, available);
    const std::size_t used = std::min(present, d.BitCount <= 8 ? std::size_t{1} << d.BitCount : std::size_t{0});
    d.Palette.reserve(used);
    for (std::size_t i = 0; i < used; ++i) {
        const std::size_t at = offset + i * entrySize;
        if (logicalPalette) {
            const std::uint16_t index = v.U16(at);
            d.Palette.push_back(index < logicalPalette->size() ? (*logicalPalette)[index] : 0);
        } else {
            d.Palette.push_back(v.U8(at) | (v.U8(at + 1) << 8) | (static_cast<std::uint32_t>(v.U8(at + 2)) << 16));
        }
    }
    d.InfoSize = offset + std::min(stored, available) * entrySize;
}

}  // namespace

TDibInfo ReadDibInfo(const TByteView& v, bool heightDoubled, const std::vector<std::uint32_t>* logicalPalette) {
    TDibInfo d;
    const std::uint32_t headerSize = v.U32(0);
    std::int64_t height = 0;
    std::size_t stored = 0;
    std::size_t entrySize = 4;
    std::size_t tableAt = headerSize;
    if (headerSize == BitmapCoreHeaderSize) {
        v.Require(0, headerSize, "the bitmap header");
        d.Width = v.U16(4);
        height = v.U16(6);
        d.BitCount = v.U16(10);
        entrySize = 3;
        if (!ValidDepth(d.BitCount) || d.BitCount == 16 || d.BitCount == 32)
            v.Fail("unsupported colour depth " + std::to_string(d.BitCount) + " in a core header");
        stored = d.BitCount <= 8 ? std::size_t{1} << d.BitCount : 0;
    } else if (headerSize >= BitmapInfoHeaderSize && headerSize <= 4096) {
        v.Require(0, headerSize, "the bitmap header");
        const std::int32_t width = v.I32(4);
        height = v.I32(8);
        d.BitCount = v.U16(14);
        d.Compression = v.U32(16);
        const std::uint32_t colorsUsed = v.U32(32);
        if (width <= 0) v.Fail("width " + std::to_string(width) + " is not positive");
        d.Width = width;
        if (height < 0) {
            d.TopDown = true;
            height = -height;
        }
        if (!ValidDepth(d.BitCount)) v.Fail("unsupported colour depth " + std::to_string(d.BitCount));
        CheckCompression(v, d);
        if (d.TopDown && (d.Compression == BI_RLE8 || d.Compression == BI_RLE4))
            v.Fail("a run-length compressed bitmap cannot be stored top-down");
        DefaultMasks(d);
        if (d.Compression == BI_BITFIELDS || d.Compression == BI_ALPHABITFIELDS) {
            const bool alpha = d.Compression == BI_ALPHABITFIELDS;
            std::size_t maskAt = 40;
            if (headerSize == BitmapInfoHeaderSize) {
                // Masks follow a plain info header, before the colour table.
                tableAt += alpha ? 16 : 12;
            }
            d.RedMask = v.U32(maskAt);
            d.GreenMask = v.U32(maskAt + 4);
            d.BlueMask = v.U32(maskAt + 8);
            d.AlphaMask = (alpha || headerSize >= 56) ? v.U32(maskAt + 12) : 0;
            for (std::uint32_t m : {d.RedMask, d.GreenMask, d.BlueMask, d.AlphaMask}) CheckMask(v, m, d.BitCount);
        } else if (headerSize >= BitmapV4HeaderSize && d.BitCount == 32) {
            d.AlphaMask = v.U32(52) ? v.U32(52) : d.AlphaMask;
        }
        if (d.BitCount <= 8)
            stored = colorsUsed != 0 ? colorsUsed : (std::size_t{1} << d.BitCount);
        else
            stored = colorsUsed;  // an optional table for palette devices, skipped
        if (stored > 65536) v.Fail("colour table of " + std::to_string(colorsUsed) + " entries");
    } else {
        v.Fail("unknown header size " + std::to_string(headerSize));
    }
    if (heightDoubled) height /= 2;
    if (height <= 0) v.Fail("height is zero");
    if (d.Width <= 0) v.Fail("width is zero");
    CheckRasterSize(d.Width, height, v.Kind());
    d.Height = static_cast<int>(height);
    ReadPalette(v, d, tableAt, stored, entrySize, logicalPalette);
    if (d.Palette.size() > MaxPaletteEntries) d.Palette.resize(MaxPaletteEntries);
    return d;
}

namespace {

std::uint32_t PaletteColor(const TDibInfo& d, unsigned index) {
    return 0xFF000000u | (index < d.Palette.size() ? d.Palette[index] : 0);
}

// Scales a masked field to 8 bits.
struct TChannel {
    int Shift = 0;
    int Bits = 0;
    explicit TChannel(std::uint32_t mask) {
        if (mask) {
            Shift = std::countr_zero(mask);
            Bits = std::popcount(mask);
        }
    }
    std::uint32_t Get(std::uint32_t pixel, std::uint32_t absent) const {
        if (Bits == 0) return absent;
        const std::uint32_t max = Bits >= 32 ? 0xFFFFFFFFu : ((1u << Bits) - 1);
        const std::uint32_t value = (pixel >> Shift) & max;
        return static_cast<std::uint32_t>((static_cast<std::uint64_t>(value) * 255 + max / 2) / max);
    }
};

void DecodeRow(const TDibInfo& d, const std::uint8_t* in, std::uint32_t* out, const TChannel* ch) {
    switch (d.BitCount) {
        case 1:
            for (int x = 0; x < d.Width; ++x) out[x] = PaletteColor(d, (in[x >> 3] >> (7 - (x & 7))) & 1);
            break;
        case 4:
            for (int x = 0; x < d.Width; ++x) out[x] = PaletteColor(d, (in[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F);
            break;
        case 8:
            for (int x = 0; x < d.Width; ++x) out[x] = PaletteColor(d, in[x]);
            break;
        case 24:
            for (int x = 0; x < d.Width; ++x, in += 3)
                out[x] = 0xFF000000u | (static_cast<std::uint32_t>(in[2]) << 16) | (in[1] << 8) | in[0];
            break;
        case 16:
        case 32: {
            const int bytes = d.BitCount / 8;
            for (int x = 0; x < d.Width; ++x, in += bytes) {
                std::uint32_t p = in[0] | (in[1] << 8);
                if (bytes == 4) p |= (static_cast<std::uint32_t>(in[2]) << 16) | (static_cast<std::uint32_t>(in[3]) << 24);
                out[x] = (ch[3].Get(p, 0xFF) << 24) | (ch[0].Get(p, 0) << 16) | (ch[1].Get(p, 0) << 8) | ch[2].Get(p, 0);
            }
            break;
        }
        default: break;
    }
}

void DecodeUncompressed(const TDibInfo& d, const TByteView& bits, const TDibRowSink& sink) {
    const std::size_t stride = d.Stride();
    const std::size_t lastRow = (static_cast<std::size_t>(d.Width) * d.BitCount + 7) / 8;
    const std::size_t needed = stride * (static_cast<std::size_t>(d.Height) - 1) + lastRow;
    if (bits.Size() < needed)
        bits.Fail("pixel data truncated (needs " + std::to_string(needed) + " bytes, " +
                  std::to_string(bits.Size()) + " there)");
    TChannel channels[4] = {TChannel(d.RedMask), TChannel(d.GreenMask), TChannel(d.BlueMask),
                            TChannel(d.AlphaMask)};
    // Without an alpha mask a 32-bit pixel still reports its top byte, as icons use it.
    if (d.BitCount == 32 && d.AlphaMask == 0) channels[3] = TChannel(0xFF000000u);
    std::vector<std::uint32_t> row(static_cast<std::size_t>(d.Width));
    for (int y = 0; y < d.Height; ++y) {
        const int stored = d.TopDown ? y : d.Height - 1 - y;
        DecodeRow(d, bits.Data() + static_cast<std::size_t>(stored) * stride, row.data(), channels);
        sink(y, row.data());
    }
}

// Run-length data: the pixels it never reaches keep index 0, as in a new
// bitmap of that depth. Rows are stored bottom-up and only move upwards, so
// each row is handed on as soon as the data leaves it: one row of indexes is
// held, whatever the bitmap's height.
class TRleRows {
public:
    TRleRows(const TDibInfo& d, const TDibRowSink& sink)
        : FInfo(d), FSink(sink), FIndex(static_cast<std::size_t>(d.Width), 0), FRow(FIndex.size()) {}

    void Put(unsigned value) {
        if (FX < FInfo.Width && FStored < FInfo.Height) FIndex[static_cast<std::size_t>(FX)] = static_cast<std::uint8_t>(value);
        ++FX;
    }
    void Skip(unsigned columns) { FX += columns; }
    // Moves rows up, to the start of the row when startOfRow.
    void Up(unsigned rows, bool startOfRow) {
        if (startOfRow) FX = 0;
        for (unsigned i = 0; i < rows && FStored < FInfo.Height; ++i) Emit();
    }
    // Hands on the current row and every one above it.
    void Finish() {
        while (FStored < FInfo.Height) Emit();
    }

private:
    void Emit() {
        for (std::size_t i = 0; i < FIndex.size(); ++i) FRow[i] = PaletteColor(FInfo, FIndex[i]);
        FSink(FInfo.Height - 1 - static_cast<int>(FStored), FRow.data());
        std::fill(FIndex.begin(), FIndex.end(), std::uint8_t{0});
        ++FStored;
    }

    const TDibInfo& FInfo;
    const TDibRowSink& FSink;
    std::vector<std::uint8_t> FIndex;
    std::vector<std::uint32_t> FRow;
    std::int64_t FX = 0;
    std::int64_t FStored = 0;  // the row being filled, counted from the bottom
};

// The whole run-length data is checked for its end mark and its runs before
// any row is handed on, so that a truncated bitmap draws nothing.
void ScanRle(const TDibInfo& d, const TByteView& bits, TRleRows* rows) {
    const bool four = d.Compression == BI_RLE4;
    std::size_t at = 0;
    std::int64_t stored = 0;
    for (;;) {
        if (!bits.Has(at, 2)) bits.Fail("run-length data ends without its end-of-bitmap mark");
        const unsigned count = bits.U8(at), value = bits.U8(at + 1);
        at += 2;
        if (count > 0) {
            if (rows)
                for (unsigned i = 0; i < count; ++i) rows->Put(four ? ((i & 1) ? value & 0x0F : value >> 4) : value);
        } else if (value == 0) {
            ++stored;
            if (rows) rows->Up(1, true);
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            bits.Require(at, 2, "a delta");
            stored += bits.U8(at + 1);
            if (rows) {
                rows->Skip(bits.U8(at));
                rows->Up(bits.U8(at + 1), false);
            }
            at += 2;
        } else {
            const std::size_t bytes = four ? (value + 1) / 2 : value;
            bits.Require(at, bytes, "an absolute run");
            if (rows)
                for (unsigned i = 0; i < value; ++i) {
                    const unsigned b = bits.U8(at + (four ? i / 2 : i));
                    rows->Put(four ? ((i & 1) ? b & 0x0F : b >> 4) : b);
                }
            at += (bytes + 1) & ~std::size_t{1};
        }
        if (stored >= d.Height) break;
    }
}

void DecodeRle(const TDibInfo& d, const TByteView& bits, const TDibRowSink& sink) {
    ScanRle(d, bits, nullptr);
    TRleRows rows(d, sink);
    ScanRle(d, bits, &rows);
    rows.Finish();
}

}  // namespace

void DecodeDibPixels(const TDibInfo& info, const TByteView& bits, const TDibRowSink& sink) {
    if (info.Compression == BI_RLE8 || info.Compression == BI_RLE4)
        DecodeRle(info, bits, sink);
    else
        DecodeUncompressed(info, bits, sink);
}

TRaster DecodeDibToRaster(const TDibInfo& info, const TByteView& bits) {
    // Check the data before the raster is allocated.
    if (info.Compression != BI_RLE8 && info.Compression != BI_RLE4) {
        const std::size_t needed = info.Stride() * (static_cast<std::size_t>(info.Height) - 1) +
                                   (static_cast<std::size_t>(info.Width) * info.BitCount + 7) / 8;
        if (bits.Size() < needed)
            bits.Fail("pixel data truncated (needs " + std::to_string(needed) + " bytes, " +
                      std::to_string(bits.Size()) + " there)");
    }
    TRaster raster(info.Width, info.Height);
    if (info.BitCount == 24 && info.Compression != BI_RLE8 && info.Compression != BI_RLE4) {
        // The common photo: each stored B, G, R becomes R, G, B, without
        // the 32-bit row in between.
        const std::size_t stride = info.Stride();
        for (int y = 0; y < info.Height; ++y) {
            const int stored = info.TopDown ? y : info.Height - 1 - y;
            const std::uint8_t* in = bits.Data() + static_cast<std::size_t>(stored) * stride;
            std::uint8_t* out = raster.Row(y);
            for (int x = 0; x < info.Width; ++x, in += 3, out += 3) {
                out[0] = in[2];
                out[1] = in[1];
                out[2] = in[0];
            }
        }
        return raster;
    }
    DecodeDibPixels(info, bits, [&raster](int y, const std::uint32_t* row) {
        std::uint8_t* out = raster.Row(y);
        for (int x = 0; x < raster.Width(); ++x, out += 3) {
            out[0] = (row[x] >> 16) & 0xFF;
            out[1] = (row[x] >> 8) & 0xFF;
            out[2] = row[x] & 0xFF;
        }
    });
    return raster;
}

bool LooksLikeBmpFile(const std::uint8_t* data, std::size_t size) {
    return size >= 2 && data[0] == 'B' && data[1] == 'M';
}

TRaster DecodeBmpFile(const TByteView& file) {
    if (!LooksLikeBmpFile(file.Data(), file.Size())) file.Fail("not a bitmap file (no \"BM\" signature)");
    file.Require(0, BitmapFileHeaderSize, "the file header");
    const std::uint32_t offBits = file.U32(10);
    const TByteView dib = file.From(BitmapFileHeaderSize, "the bitmap header");
    // The colour table may not reach into the pixels the header points to.
    std::size_t infoLimit = dib.Size();
    if (offBits >= BitmapFileHeaderSize + 12 && offBits <= file.Size()) infoLimit = offBits - BitmapFileHeaderSize;
    const TDibInfo info = ReadDibInfo(dib.Sub(0, infoLimit, "the bitmap header"));
    std::size_t pixelsAt = BitmapFileHeaderSize + info.InfoSize;
    if (offBits != 0) {
        if (offBits < BitmapFileHeaderSize + 12 || offBits > file.Size())
            file.Fail("pixel offset " + std::to_string(offBits) + " lies outside the file");
        pixelsAt = offBits;
    }
    return DecodeDibToRaster(info, file.From(pixelsAt, "the pixel data"));
}

TRaster DecodePackedDib(const TByteView& packed, const std::vector<std::uint32_t>* logicalPalette) {
    const TDibInfo info = ReadDibInfo(packed, false, logicalPalette);
    return DecodeDibToRaster(info, packed.From(info.InfoSize, "the pixel data"));
}

}  // namespace tal::pictures
