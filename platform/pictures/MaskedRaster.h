#pragma once
// A picture drawn into a raster together with the parts of it that it leaves
// untouched: an icon's transparent pixels, a metafile's unpainted background.
// Documents that cannot blend keep only a hard mask: a pixel counts as
// painted where at least a quarter of it is covered, so thin lines and the
// edges of text keep their ink.
#include <cairo.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Graphic.h"

namespace tal::pictures {

// One bit a pixel, rows of (width + 7) / 8 bytes, top row first, the first
// pixel in the highest bit; a set bit marks a pixel left transparent.
struct TPixelMask {
    int Width = 0, Height = 0;
    std::vector<std::uint8_t> Bits;
    bool Empty() const { return Bits.empty(); }
    std::size_t RowBytes() const { return (static_cast<std::size_t>(Width) + 7) / 8; }
    bool Transparent(int x, int y) const {
        return (Bits[static_cast<std::size_t>(y) * RowBytes() + x / 8] & (0x80 >> (x % 8))) != 0;
    }
};

struct TMaskedRaster {
    // Over white where the picture is opaque throughout (as DrawToRaster
    // gives it); otherwise each painted pixel in its own colour, not lightened
    // by the white it was never drawn over, and white where transparent.
    TRaster Pixels;
    TPixelMask Mask;  // empty when every pixel is painted
};

// Alpha at and above which a pixel counts as painted (out of 255).
inline constexpr std::uint32_t PaintedAlpha = 64;

// The graphic stretch-drawn over all of a width x height raster, with its
// mask. Bitmaps are opaque. A metafile that combines its drawing with what
// lies under it (inverting or masking raster operations) is drawn over white
// and is opaque, as those operations mean on a white page.
TMaskedRaster DrawMasked(const TGraphic& graphic, int width, int height);

struct TMaskedJpeg {
    std::vector<std::uint8_t> Jpeg;
    TPixelMask Mask;
};

// Drawing surfaces kept from one picture for the next of the same size and
// format, so that a run of pictures does not take fresh memory from the
// system (handed out zeroed, page by page) for every one. Surfaces of more
// than KeepPixels are never kept, and at most two are.
class TSurfaceStore {
public:
    static constexpr std::int64_t KeepPixels = 4'000'000;

    // A kept surface of the format and size (its pixels as the last picture
    // left them), or none.
    cairo_surface_t* Take(cairo_format_t format, int width, int height);
    // Keeps surface for a later Take, in place of the oldest kept one.
    void Keep(cairo_surface_t* surface);
    void Clear() { FKept = {}; }

private:
    struct TRelease {
        void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
    };
    using TKept = std::unique_ptr<cairo_surface_t, TRelease>;
    std::array<TKept, 2> FKept;  // the older first; Keep allocates nothing, so cannot fail
};

// DrawMasked's picture as EncodeJpeg encodes its pixels at quality, with the
// same mask: the same bytes, but encoded from the rows of the drawing surface
// without a 24-bit raster in between (and a bitmap stretched straight onto a
// white surface). store, when given, lends and keeps a bitmap's surfaces.
TMaskedJpeg DrawMaskedJpeg(const TGraphic& graphic, int width, int height, int quality,
                           TSurfaceStore* store = nullptr);

}  // namespace tal::pictures
