#include "platform/pictures/Cairo.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <string>

#include "platform/Exception.h"

namespace tal::pictures {

TCairoSurface NewSurface(cairo_format_t format, int width, int height) {
    CheckRasterSize(width, height, "Raster");
    TCairoSurface surface(cairo_image_surface_create(format, width, height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        throw EOutOfResources("Raster: cannot create a drawing surface of " + std::to_string(width) + " x " +
                              std::to_string(height) + " pixels");
    return surface;
}

TCairo NewContext(cairo_surface_t* surface) {
    TCairo context(cairo_create(surface));
    if (cairo_status(context.get()) != CAIRO_STATUS_SUCCESS)
        throw EOutOfResources("Raster: cannot create a drawing context");
    return context;
}

namespace {

std::uint32_t Premultiply(std::uint32_t argb) {
    const std::uint32_t a = argb >> 24;
    if (a == 255) return argb;
    if (a == 0) return 0;
    auto mul = [a](std::uint32_t c) { return (c * a + 127) / 255; };
    return (a << 24) | (mul((argb >> 16) & 0xFF) << 16) | (mul((argb >> 8) & 0xFF) << 8) | mul(argb & 0xFF);
}

std::uint32_t* SurfaceRow(cairo_surface_t* s, int y) {
    return reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(s) +
                                            static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(s));
}

}  // namespace

TCairoSurface SurfaceFromImage(const TRgbaImage& image) {
    TCairoSurface surface = NewSurface(CAIRO_FORMAT_ARGB32, image.Width(), image.Height());
    cairo_surface_flush(surface.get());
    for (int y = 0; y < image.Height(); ++y) {
        std::uint32_t* out = SurfaceRow(surface.get(), y);
        const std::uint32_t* in = image.Row(y);
        for (int x = 0; x < image.Width(); ++x) out[x] = Premultiply(in[x]);
    }
    cairo_surface_mark_dirty(surface.get());
    return surface;
}

TCairoSurface SurfaceFromRaster(const TRaster& raster) {
    TCairoSurface surface = NewSurface(CAIRO_FORMAT_RGB24, raster.Width(), raster.Height());
    CopyRasterToSurface(raster, surface.get());
    return surface;
}

void CopyRasterToSurface(const TRaster& raster, cairo_surface_t* surface) {
    cairo_surface_flush(surface);
    const int width = raster.Width();
    const std::uint8_t* end = raster.Bytes().data() + raster.Bytes().size();
    for (int y = 0; y < raster.Height(); ++y) {
        std::uint32_t* out = SurfaceRow(surface, y);
        const std::uint8_t* in = raster.Row(y);
        int x = 0;
        // Four bytes read at once, the fourth (the next pixel's) shifted
        // out: R, G, B become 0xFFRRGGBB. The raster's very last pixel has
        // no byte after it and is taken byte by byte.
        for (; x < width && end - in >= 4; ++x, in += 3) {
            std::uint32_t rgbx;
            std::memcpy(&rgbx, in, 4);
            if constexpr (std::endian::native == std::endian::little) rgbx = __builtin_bswap32(rgbx);
            out[x] = 0xFF000000u | (rgbx >> 8);
        }
        for (; x < width; ++x, in += 3)
            out[x] = 0xFF000000u | (static_cast<std::uint32_t>(in[0]) << 16) | (in[1] << 8) | in[2];
    }
    cairo_surface_mark_dirty(surface);
}

TRasterCanvas::TRasterCanvas(TRaster& raster)
    : FRaster(raster), FSurface(SurfaceFromRaster(raster)), FContext(NewContext(FSurface.get())) {}

void TRasterCanvas::Commit() {
    cairo_surface_flush(FSurface.get());
    for (int y = 0; y < FRaster.Height(); ++y) {
        const std::uint32_t* in = SurfaceRow(FSurface.get(), y);
        std::uint8_t* out = FRaster.Row(y);
        for (int x = 0; x < FRaster.Width(); ++x, out += 3) {
            out[0] = (in[x] >> 16) & 0xFF;
            out[1] = (in[x] >> 8) & 0xFF;
            out[2] = in[x] & 0xFF;
        }
    }
}

void PaintScaled(cairo_t* cr, cairo_surface_t* surface, double left, double top, double width, double height) {
    const int sw = cairo_image_surface_get_width(surface);
    const int sh = cairo_image_surface_get_height(surface);
    if (sw <= 0 || sh <= 0 || width == 0 || height == 0) return;
    cairo_save(cr);
    cairo_rectangle(cr, left, top, width, height);
    cairo_clip(cr);
    cairo_translate(cr, left, top);
    cairo_scale(cr, width / sw, height / sh);
    cairo_set_source_surface(cr, surface, 0, 0);
    // A stretched bitmap keeps hard pixel edges; only a reduction is smoothed.
    const bool enlarging = std::abs(width) >= sw && std::abs(height) >= sh;
    cairo_pattern_set_filter(cairo_get_source(cr), enlarging ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_paint(cr);
    cairo_restore(cr);
}

}  // namespace tal::pictures
