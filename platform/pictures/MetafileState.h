#pragma once
// The drawing state of a metafile player: the objects records create and the
// device context they are selected into. Internal to the player.
#include <cairo.h>

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "platform/pictures/MetafileRecords.h"
#include "platform/pictures/Raster.h"

namespace tal::pictures {

struct TPenObject {
    std::uint32_t Style = PS_SOLID;  // with end cap, join and geometric bits
    double Width = 0;                // logical units; 0 draws one device pixel
    std::uint32_t Color = 0;         // COLORREF
    std::vector<double> Dashes;      // PS_USERSTYLE entries, logical units
};

struct TBrushObject {
    std::uint32_t Style = BS_SOLID;
    std::uint32_t Color = 0xFFFFFF;
    std::uint32_t Hatch = 0;
    // BS_DIBPATTERN brushes: the tile at its own size, decoded once when the
    // brush is made and repeated wherever the brush paints.
    std::shared_ptr<cairo_surface_t> Pattern;
};

struct TFontObject {
    double Height = 0;  // logical units; negative: character height, positive: cell height
    double Escapement = 0;  // tenths of a degree, counter-clockwise
    int Weight = 400;
    bool Italic = false, Underline = false, StrikeOut = false;
    std::uint8_t Charset = 0;
    std::string Face;   // UTF-8
};

struct TPaletteObject {
    std::vector<std::uint32_t> Colors;  // 0x00RRGGBB
};

// A region as a set of rectangles that do not overlap.
struct TRegionObject {
    struct TRect {
        double Left, Top, Right, Bottom;
    };
    std::vector<TRect> Rects;
};

using TMetaObject = std::variant<std::monostate, TPenObject, TBrushObject, TFontObject, TPaletteObject, TRegionObject>;

struct TDeviceContext {
    std::uint32_t MapMode = MM_TEXT;
    double WindowOrgX = 0, WindowOrgY = 0, WindowExtX = 1, WindowExtY = 1;
    double ViewportOrgX = 0, ViewportOrgY = 0, ViewportExtX = 1, ViewportExtY = 1;
    cairo_matrix_t World{1, 0, 0, 1, 0, 0};
    TPenObject Pen;
    TBrushObject Brush;
    TFontObject Font;
    std::vector<std::uint32_t> Palette;
    std::uint32_t TextColor = 0;
    std::uint32_t BkColor = 0xFFFFFF;
    std::uint32_t BkMode = OPAQUE;
    std::uint32_t TextAlign = 0;
    std::uint32_t PolyFillMode = ALTERNATE;
    std::uint32_t ArcDirection = AD_COUNTERCLOCKWISE;
    std::uint32_t Rop2 = 13;  // R2_COPYPEN
    double CurrentX = 0, CurrentY = 0;
};

}  // namespace tal::pictures
