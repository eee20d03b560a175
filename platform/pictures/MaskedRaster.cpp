#include "platform/pictures/MaskedRaster.h"

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

// First pass: whether any pixel stays transparent. Most opaque pictures are
// known at their first row.
bool AnyTransparent(cairo_surface_t* s, int width, int height) {
    for (int y = 0; y < height; ++y) {
        const std::uint32_t* in = SurfaceRow(s, y);
        for (int x = 0; x < width; ++x)
            if ((in[x] >> 24) < PaintedAlpha) return true;
    }
    return false;
}

// Every pixel over white, as a white raster drawn on gives it.
TRaster OverWhite(cairo_surface_t* s, int width, int height) {
    TRaster raster(width, height);
    for (int y = 0; y < height; ++y) {
        const std::uint32_t* in = SurfaceRow(s, y);
        std::uint8_t* out = raster.Row(y);
        for (int x = 0; x < width; ++x, out += 3) {
            const std::uint32_t p = in[x], white = 255 - (p >> 24);
            out[0] = static_cast<std::uint8_t>(((p >> 16) & 0xFF) + white);
            out[1] = static_cast<std::uint8_t>(((p >> 8) & 0xFF) + white);
            out[2] = static_cast<std::uint8_t>((p & 0xFF) + white);
        }
    }
    return raster;
}

TMaskedRaster WithMask(cairo_surface_t* s, int width, int height) {
    TMaskedRaster result{TRaster(width, height), TPixelMask{width, height, {}}};
    TPixelMask& mask = result.Mask;
    mask.Bits.assign(mask.RowBytes() * static_cast<std::size_t>(height), 0);
    for (int y = 0; y < height; ++y) {
        const std::uint32_t* in = SurfaceRow(s, y);
        std::uint8_t* out = result.Pixels.Row(y);
        std::uint8_t* bits = mask.Bits.data() + static_cast<std::size_t>(y) * mask.RowBytes();
        for (int x = 0; x < width; ++x, out += 3) {
            const std::uint32_t p = in[x], a = p >> 24;
            if (a == 255) {
                out[0] = static_cast<std::uint8_t>(p >> 16);
                out[1] = static_cast<std::uint8_t>(p >> 8);
                out[2] = static_cast<std::uint8_t>(p);
            } else if (a >= PaintedAlpha) {
                out[0] = Unpremultiply((p >> 16) & 0xFF, a);
                out[1] = Unpremultiply((p >> 8) & 0xFF, a);
                out[2] = Unpremultiply(p & 0xFF, a);
            } else {
                bits[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));  // stays white
            }
        }
    }
    return result;
}

}  // namespace

TMaskedRaster DrawMasked(const TGraphic& graphic, int width, int height) {
    TMaskedRaster result;
    const bool noIcon = graphic.Kind() == TGraphicKind::Icon && !static_cast<const TIcon&>(graphic).Chosen();
    if (graphic.Kind() == TGraphicKind::Bitmap || graphic.Empty() || noIcon || width <= 0 || height <= 0) {
        result.Pixels = DrawToRaster(graphic, width, height);
        return result;
    }
    TCairoSurface surface = NewSurface(CAIRO_FORMAT_ARGB32, width, height);  // transparent
    {
        TCairo cr = NewContext(surface.get());
        if (graphic.Kind() == TGraphicKind::Icon) {
            const TCairoSurface image = SurfaceFromImage(static_cast<const TIcon&>(graphic).Chosen()->Image);
            PaintScaled(cr.get(), image.get(), 0, 0, width, height);
        } else {
            const auto& metafile = static_cast<const TMetafile&>(graphic);
            PlayMetafile(TByteView(metafile.Bytes().data(), metafile.Bytes().size(), "Metafile"), metafile.Info(),
                         cr.get(), {0, 0, static_cast<double>(width), static_cast<double>(height)});
        }
    }
    cairo_surface_flush(surface.get());
    if (AnyTransparent(surface.get(), width, height)) return WithMask(surface.get(), width, height);
    result.Pixels = OverWhite(surface.get(), width, height);
    return result;
}

}  // namespace tal::pictures
