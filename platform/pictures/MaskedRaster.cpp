#include "platform/pictures/MaskedRaster.h"

#include <cstring>

#include "platform/jpeg/JpegEncoder.h"
#include "platform/pictures/Cairo.h"
#include "platform/pictures/MetafilePlayer.h"

namespace tal::pictures {

namespace {

const std::uint32_t* SurfaceRow(cairo_surface_t* s, int y) {
    return reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(s) +
                                                  static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(s));
}

// A premultiplied channel brought back to its own strength.
std::uint8_t Unpremultiply(std::uint32_t c, std::uint32_t a) {
    const std::uint32_t v = (c * 255 + a / 2) / a;
    return static_cast<std::uint8_t>(v > 255 ? 255 : v);
}

enum class TCoverage : std::uint8_t { Opaque, Translucent, Transparent };

// Opaque: every pixel fully painted; Translucent: some only partly, none so
// little that it stays transparent; Transparent: at least one left
// transparent. Most pictures with a transparent part show it in their first row.
TCoverage Coverage(cairo_surface_t* s, int width, int height) {
    std::uint32_t all = 0xFF;
    for (int y = 0; y < height; ++y) {
        const std::uint32_t* in = SurfaceRow(s, y);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t a = in[x] >> 24;
            if (a < PaintedAlpha) return TCoverage::Transparent;
            all &= a;
        }
    }
    return all == 0xFF ? TCoverage::Opaque : TCoverage::Translucent;
}

// A row over white, as a white raster drawn on gives it.
void OverWhiteRow(const std::uint32_t* in, int width, std::uint8_t* out) {
    for (int x = 0; x < width; ++x, out += 3) {
        const std::uint32_t p = in[x], white = 255 - (p >> 24);
        out[0] = static_cast<std::uint8_t>(((p >> 16) & 0xFF) + white);
        out[1] = static_cast<std::uint8_t>(((p >> 8) & 0xFF) + white);
        out[2] = static_cast<std::uint8_t>((p & 0xFF) + white);
    }
}

// Eight pixels (one byte of the mask) all painted in full, or all left
// transparent: the common case inside a picture and its background.
enum class TRun : std::uint8_t { Mixed, Painted, Untouched };

TRun RunOfEight(const std::uint32_t* in) {
    std::uint32_t all = 0xFF, any = 0;
    for (int i = 0; i < 8; ++i) {
        all &= in[i] >> 24;
        any |= in[i] >> 24;
    }
    if (all == 0xFF) return TRun::Painted;
    return any < PaintedAlpha ? TRun::Untouched : TRun::Mixed;
}

// Pixels from to to of a row (out and bits: the row's start) in their own
// colours, white where transparent; the transparent ones are marked in bits
// (already clear).
void MaskedPixels(const std::uint32_t* in, int from, int to, std::uint8_t* out, std::uint8_t* bits) {
    for (int x = from; x < to; ++x) {
        const std::uint32_t p = in[x], a = p >> 24;
        std::uint8_t* o = out + 3 * static_cast<std::ptrdiff_t>(x);
        if (a == 255) {
            o[0] = static_cast<std::uint8_t>(p >> 16);
            o[1] = static_cast<std::uint8_t>(p >> 8);
            o[2] = static_cast<std::uint8_t>(p);
        } else if (a >= PaintedAlpha) {
            o[0] = Unpremultiply((p >> 16) & 0xFF, a);
            o[1] = Unpremultiply((p >> 8) & 0xFF, a);
            o[2] = Unpremultiply(p & 0xFF, a);
        } else {
            o[0] = o[1] = o[2] = 0xFF;
            bits[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        }
    }
}

// A whole row, eight pixels (one mask byte) at a time where they are all
// painted in full or all left transparent.
void MaskedRow(const std::uint32_t* in, int width, std::uint8_t* out, std::uint8_t* bits) {
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        std::uint8_t* o = out + 3 * static_cast<std::ptrdiff_t>(x);
        switch (RunOfEight(in + x)) {
            case TRun::Untouched:
                std::memset(o, 0xFF, 24);
                bits[x / 8] = 0xFF;
                break;
            case TRun::Painted:
                for (int i = 0; i < 8; ++i) {
                    const std::uint32_t p = in[x + i];
                    o[3 * i] = static_cast<std::uint8_t>(p >> 16);
                    o[3 * i + 1] = static_cast<std::uint8_t>(p >> 8);
                    o[3 * i + 2] = static_cast<std::uint8_t>(p);
                }
                break;
            case TRun::Mixed: MaskedPixels(in, x, x + 8, out, bits); break;
        }
    }
    MaskedPixels(in, x, width, out, bits);
}

TPixelMask ClearMask(int width, int height) {
    TPixelMask mask{width, height, {}};
    mask.Bits.assign(mask.RowBytes() * static_cast<std::size_t>(height), 0);
    return mask;
}

std::uint8_t* MaskRow(TPixelMask& mask, int y) { return mask.Bits.data() + static_cast<std::size_t>(y) * mask.RowBytes(); }

TRaster OverWhite(cairo_surface_t* s, int width, int height) {
    TRaster raster(width, height);
    for (int y = 0; y < height; ++y) OverWhiteRow(SurfaceRow(s, y), width, raster.Row(y));
    return raster;
}

TMaskedRaster WithMask(cairo_surface_t* s, int width, int height) {
    TMaskedRaster result{TRaster(width, height), ClearMask(width, height)};
    for (int y = 0; y < height; ++y) MaskedRow(SurfaceRow(s, y), width, result.Pixels.Row(y), MaskRow(result.Mask, y));
    return result;
}

// Pictures DrawMasked draws onto white without a mask: bitmaps, and those
// that draw nothing.
bool DrawnOverWhite(const TGraphic& graphic, int width, int height) {
    const bool noIcon = graphic.Kind() == TGraphicKind::Icon && !static_cast<const TIcon&>(graphic).Chosen();
    return graphic.Kind() == TGraphicKind::Bitmap || graphic.Empty() || noIcon || width <= 0 || height <= 0;
}

// An icon or metafile drawn onto a transparent ARGB32 surface.
TCairoSurface DrawOnTransparent(const TGraphic& graphic, int width, int height) {
    TCairoSurface surface = NewSurface(CAIRO_FORMAT_ARGB32, width, height);
    {
        TCairo cr = NewContext(surface.get());
        if (graphic.Kind() == TGraphicKind::Icon) {
            const TCairoSurface image = SurfaceFromImage(static_cast<const TIcon&>(graphic).Chosen()->Image);
            PaintScaled(cr.get(), image.get(), 0, 0, width, height);
        } else {
            const auto& metafile = static_cast<const TMetafile&>(graphic);
            TPictureBudget budget = metafile.DrawingBudget();
            PlayMetafile(TByteView(metafile.Bytes().data(), metafile.Bytes().size(), "Metafile"), metafile.Info(),
                         cr.get(), {0, 0, static_cast<double>(width), static_cast<double>(height)}, &budget);
        }
    }
    cairo_surface_flush(surface.get());
    return surface;
}

// A surface of the store, or a new one; given back to the store (when there
// is one) as the scope ends.
class TLentSurface {
public:
    TLentSurface(TSurfaceStore* store, cairo_format_t format, int width, int height) : FStore(store) {
        cairo_surface_t* kept = store ? store->Take(format, width, height) : nullptr;
        FSurface = kept ? TCairoSurface(kept) : NewSurface(format, width, height);
    }
    ~TLentSurface() {
        if (FStore) FStore->Keep(FSurface.release());
    }
    TLentSurface(const TLentSurface&) = delete;
    TLentSurface& operator=(const TLentSurface&) = delete;
    cairo_surface_t* get() const { return FSurface.get(); }

private:
    TSurfaceStore* FStore;
    TCairoSurface FSurface;
};

// A bitmap stretched over all of a white RGB24 surface: the surface and the
// drawing TBitmap::StretchDraw makes for a new raster, without the raster.
void StretchBitmap(const TBitmap& bitmap, cairo_surface_t* target, cairo_surface_t* source, int width,
                   int height) {
    cairo_surface_flush(target);
    // 0xFFFFFFFF: white with the unused byte set, as a white raster's copy has it.
    std::memset(cairo_image_surface_get_data(target), 0xFF,
                static_cast<std::size_t>(cairo_image_surface_get_stride(target)) * height);
    cairo_surface_mark_dirty(target);
    CopyRasterToSurface(bitmap.Pixels(), source);
    {
        TCairo cr = NewContext(target);
        PaintScaled(cr.get(), source, 0, 0, width, height);
    }
    cairo_surface_flush(target);
}

// Encodes a surface whose pixels are used as they are (opaque throughout).
std::vector<std::uint8_t> EncodeSurface(cairo_surface_t* s, int width, int height, int quality) {
    return EncodeJpegRows(width, height, quality, TJpegRowLayout::Bgrx,
                          [s](int y) { return reinterpret_cast<const std::uint8_t*>(SurfaceRow(s, y)); });
}

}  // namespace

TMaskedRaster DrawMasked(const TGraphic& graphic, int width, int height) {
    TMaskedRaster result;
    if (DrawnOverWhite(graphic, width, height)) {
        result.Pixels = DrawToRaster(graphic, width, height);
        return result;
    }
    const TCairoSurface surface = DrawOnTransparent(graphic, width, height);
    if (Coverage(surface.get(), width, height) == TCoverage::Transparent)
        return WithMask(surface.get(), width, height);
    result.Pixels = OverWhite(surface.get(), width, height);
    return result;
}

cairo_surface_t* TSurfaceStore::Take(cairo_format_t format, int width, int height) {
    for (TKept& kept : FKept) {
        cairo_surface_t* s = kept.get();
        if (s && cairo_image_surface_get_format(s) == format && cairo_image_surface_get_width(s) == width &&
            cairo_image_surface_get_height(s) == height)
            return kept.release();
    }
    return nullptr;
}

void TSurfaceStore::Keep(cairo_surface_t* surface) {
    TKept kept(surface);
    // A surface still referenced elsewhere, or too large to hold on to, goes.
    if (cairo_surface_get_reference_count(surface) != 1 ||
        static_cast<std::int64_t>(cairo_image_surface_get_width(surface)) * cairo_image_surface_get_height(surface) >
            KeepPixels)
        return;
    if (FKept[0] && FKept[1]) FKept[0] = std::move(FKept[1]);
    (FKept[0] ? FKept[1] : FKept[0]) = std::move(kept);
}

TMaskedJpeg DrawMaskedJpeg(const TGraphic& graphic, int width, int height, int quality, TSurfaceStore* store) {
    TMaskedJpeg result;
    if (graphic.Kind() == TGraphicKind::Bitmap && !graphic.Empty() && width > 0 && height > 0) {
        const auto& bitmap = static_cast<const TBitmap&>(graphic);
        // At its own size the stretch copies every pixel as it is (hard
        // edges, no scaling): the decoded pixels are encoded, nothing drawn.
        if (width == bitmap.Width() && height == bitmap.Height()) {
            result.Jpeg = EncodeJpeg(bitmap.Pixels(), quality);
            return result;
        }
        const TLentSurface target(store, CAIRO_FORMAT_RGB24, width, height);
        {
            const TLentSurface source(store, CAIRO_FORMAT_RGB24, bitmap.Width(), bitmap.Height());
            StretchBitmap(bitmap, target.get(), source.get(), width, height);
        }
        result.Jpeg = EncodeSurface(target.get(), width, height, quality);
        return result;
    }
    if (DrawnOverWhite(graphic, width, height)) {  // draws nothing: rare, and cheap
        result.Jpeg = EncodeJpeg(DrawToRaster(graphic, width, height), quality);
        return result;
    }
    const TCairoSurface surface = DrawOnTransparent(graphic, width, height);
    cairo_surface_t* s = surface.get();
    const TCoverage coverage = Coverage(s, width, height);
    // Over white a fully painted pixel is its own colour: the surface's rows
    // are encoded as they are. Otherwise each row is converted as it is encoded.
    if (coverage == TCoverage::Opaque) {
        result.Jpeg = EncodeSurface(s, width, height, quality);
        return result;
    }
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3);
    if (coverage == TCoverage::Translucent) {
        result.Jpeg = EncodeJpegRows(width, height, quality, TJpegRowLayout::Rgb, [&](int y) {
            OverWhiteRow(SurfaceRow(s, y), width, row.data());
            return row.data();
        });
        return result;
    }
    result.Mask = ClearMask(width, height);
    result.Jpeg = EncodeJpegRows(width, height, quality, TJpegRowLayout::Rgb, [&](int y) {
        MaskedRow(SurfaceRow(s, y), width, row.data(), MaskRow(result.Mask, y));
        return row.data();
    });
    return result;
}

}  // namespace tal::pictures
