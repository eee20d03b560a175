#pragma once
// Owning handles for cairo objects and the bridge between our pixel stores and
// cairo image surfaces. Internal to the picture layer.
#include <cairo.h>

#include <memory>

#include "platform/pictures/Raster.h"

namespace tal::pictures {

struct TCairoSurfaceDeleter {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct TCairoDeleter {
    void operator()(cairo_t* c) const { cairo_destroy(c); }
};
struct TCairoPatternDeleter {
    void operator()(cairo_pattern_t* p) const { cairo_pattern_destroy(p); }
};
using TCairoSurface = std::unique_ptr<cairo_surface_t, TCairoSurfaceDeleter>;
using TCairo = std::unique_ptr<cairo_t, TCairoDeleter>;
using TCairoPattern = std::unique_ptr<cairo_pattern_t, TCairoPatternDeleter>;

// A new image surface of the format; raises EOutOfResources when cairo cannot
// make it.
TCairoSurface NewSurface(cairo_format_t format, int width, int height);
TCairo NewContext(cairo_surface_t* surface);

// Premultiplied ARGB32 surfaces holding the pixels of an image or raster.
TCairoSurface SurfaceFromImage(const TRgbaImage& image);
TCairoSurface SurfaceFromRaster(const TRaster& raster);
// Writes the raster's pixels into an RGB24 surface of its size.
void CopyRasterToSurface(const TRaster& raster, cairo_surface_t* surface);

// Draws on a raster through cairo: the raster's pixels are copied into an
// RGB24 surface when the canvas opens and back into the raster by Commit.
class TRasterCanvas {
public:
    explicit TRasterCanvas(TRaster& raster);
    cairo_t* Context() const { return FContext.get(); }
    void Commit();

private:
    TRaster& FRaster;
    TCairoSurface FSurface;
    TCairo FContext;
};

// Paints surface (of its own pixel size) scaled into dest on cr, with the
// nearest-neighbour filter when enlarging, as a bitmap stretch does.
void PaintScaled(cairo_t* cr, cairo_surface_t* surface, double left, double top, double width, double height);

}  // namespace tal::pictures
