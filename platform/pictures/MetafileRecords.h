#pragma once
// Record numbers and constants of Windows metafiles (WMF) and enhanced
// metafiles (EMF), shared by the reader, the player and the writer.
#include <cstdint>
#include <vector>

namespace tal::pictures {

inline constexpr std::uint32_t PlaceableKey = 0x9AC6CDD7;
inline constexpr std::size_t PlaceableHeaderSize = 22;
inline constexpr std::size_t WmfHeaderSize = 18;
inline constexpr std::uint32_t EmfSignature = 0x464D4520;  // " EMF"
inline constexpr std::uint32_t EmfPlusSignature = 0x2B464D45;  // "EMF+"
inline constexpr std::size_t EmfHeaderMinSize = 88;

// WMF record functions (the high byte is the parameter count of the classic form).
enum class TWmf : std::uint16_t {
    Eof = 0x0000,
    SetBkColor = 0x0201, SetBkMode = 0x0102, SetMapMode = 0x0103, SetRop2 = 0x0104, SetRelAbs = 0x0105,
    SetPolyFillMode = 0x0106, SetStretchBltMode = 0x0107, SetTextCharExtra = 0x0108, SetTextColor = 0x0209,
    SetTextJustification = 0x020A, SetWindowOrg = 0x020B, SetWindowExt = 0x020C, SetViewportOrg = 0x020D,
    SetViewportExt = 0x020E, OffsetWindowOrg = 0x020F, ScaleWindowExt = 0x0410, OffsetViewportOrg = 0x0211,
    ScaleViewportExt = 0x0412, LineTo = 0x0213, MoveTo = 0x0214, ExcludeClipRect = 0x0415,
    IntersectClipRect = 0x0416, Arc = 0x0817, Ellipse = 0x0418, FloodFill = 0x0419, Pie = 0x081A,
    Rectangle = 0x041B, RoundRect = 0x061C, PatBlt = 0x061D, SaveDC = 0x001E, SetPixel = 0x041F,
    OffsetClipRgn = 0x0220, TextOut = 0x0521, BitBlt = 0x0922, StretchBlt = 0x0B23, Polygon = 0x0324,
    Polyline = 0x0325, Escape = 0x0626, RestoreDC = 0x0127, FillRegion = 0x0228, FrameRegion = 0x0429,
    InvertRegion = 0x012A, PaintRegion = 0x012B, SelectClipRegion = 0x012C, SelectObject = 0x012D,
    SetTextAlign = 0x012E, Chord = 0x0830, SetMapperFlags = 0x0231, ExtTextOut = 0x0A32,
    SetDIBToDev = 0x0D33, SelectPalette = 0x0234, RealizePalette = 0x0035, AnimatePalette = 0x0436,
    SetPalEntries = 0x0037, PolyPolygon = 0x0538, ResizePalette = 0x0139, DIBBitBlt = 0x0940,
    DIBStretchBlt = 0x0B41, DIBCreatePatternBrush = 0x0142, StretchDIB = 0x0F43, ExtFloodFill = 0x0548,
    SetLayout = 0x0149, DeleteObject = 0x01F0, CreatePalette = 0x00F7, CreatePatternBrush = 0x01F9,
    CreatePenIndirect = 0x02FA, CreateFontIndirect = 0x02FB, CreateBrushIndirect = 0x02FC,
    CreateRegion = 0x06FF,
};

// EMF record types.
enum class TEmr : std::uint32_t {
    Header = 1, PolyBezier = 2, Polygon = 3, Polyline = 4, PolyBezierTo = 5, PolylineTo = 6, PolyPolyline = 7,
    PolyPolygon = 8, SetWindowExtEx = 9, SetWindowOrgEx = 10, SetViewportExtEx = 11, SetViewportOrgEx = 12,
    SetBrushOrgEx = 13, Eof = 14, SetPixelV = 15, SetMapperFlags = 16, SetMapMode = 17, SetBkMode = 18,
    SetPolyFillMode = 19, SetRop2 = 20, SetStretchBltMode = 21, SetTextAlign = 22, SetColorAdjustment = 23,
    SetTextColor = 24, SetBkColor = 25, OffsetClipRgn = 26, MoveToEx = 27, SetMetaRgn = 28,
    ExcludeClipRect = 29, IntersectClipRect = 30, ScaleViewportExtEx = 31, ScaleWindowExtEx = 32, SaveDC = 33,
    RestoreDC = 34, SetWorldTransform = 35, ModifyWorldTransform = 36, SelectObject = 37, CreatePen = 38,
    CreateBrushIndirect = 39, DeleteObject = 40, AngleArc = 41, Ellipse = 42, Rectangle = 43, RoundRect = 44,
    Arc = 45, Chord = 46, Pie = 47, SelectPalette = 48, CreatePalette = 49, SetPaletteEntries = 50,
    ResizePalette = 51, RealizePalette = 52, ExtFloodFill = 53, LineTo = 54, ArcTo = 55, PolyDraw = 56,
    SetArcDirection = 57, SetMiterLimit = 58, BeginPath = 59, EndPath = 60, CloseFigure = 61, FillPath = 62,
    StrokeAndFillPath = 63, StrokePath = 64, FlattenPath = 65, WidenPath = 66, SelectClipPath = 67,
    AbortPath = 68, Comment = 70, FillRgn = 71, FrameRgn = 72, InvertRgn = 73, PaintRgn = 74,
    ExtSelectClipRgn = 75, BitBlt = 76, StretchBlt = 77, MaskBlt = 78, PlgBlt = 79, SetDIBitsToDevice = 80,
    StretchDIBits = 81, ExtCreateFontIndirectW = 82, ExtTextOutA = 83, ExtTextOutW = 84, PolyBezier16 = 85,
    Polygon16 = 86, Polyline16 = 87, PolyBezierTo16 = 88, PolylineTo16 = 89, PolyPolyline16 = 90,
    PolyPolygon16 = 91, PolyDraw16 = 92, CreateMonoBrush = 93, CreateDIBPatternBrushPt = 94, ExtCreatePen = 95,
    PolyTextOutA = 96, PolyTextOutW = 97, SetIcmMode = 98, SmallTextOut = 108, SetLayout = 115,
};

// Mapping modes.
enum : std::uint32_t {
    MM_TEXT = 1, MM_LOMETRIC = 2, MM_HIMETRIC = 3, MM_LOENGLISH = 4, MM_HIENGLISH = 5, MM_TWIPS = 6,
    MM_ISOTROPIC = 7, MM_ANISOTROPIC = 8
};
// Background modes, polygon fill modes, arc directions.
enum : std::uint32_t { TRANSPARENT = 1, OPAQUE = 2 };
enum : std::uint32_t { ALTERNATE = 1, WINDING = 2 };
enum : std::uint32_t { AD_COUNTERCLOCKWISE = 1, AD_CLOCKWISE = 2 };
// Text alignment bits.
enum : std::uint32_t {
    TA_UPDATECP = 1, TA_RIGHT = 2, TA_CENTER = 6, TA_HORIZONTAL_MASK = 6, TA_BOTTOM = 8, TA_BASELINE = 24,
    TA_VERTICAL_MASK = 24
};
// ExtTextOut options.
enum : std::uint32_t { ETO_OPAQUE = 2, ETO_CLIPPED = 4, ETO_GLYPH_INDEX = 0x10, ETO_PDY = 0x2000 };
// Pen styles (low bits), end caps, joins and the geometric flag.
enum : std::uint32_t {
    PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_DASHDOT = 3, PS_DASHDOTDOT = 4, PS_NULL = 5, PS_INSIDEFRAME = 6,
    PS_USERSTYLE = 7, PS_ALTERNATE = 8, PS_STYLE_MASK = 0xF, PS_ENDCAP_SQUARE = 0x100, PS_ENDCAP_FLAT = 0x200,
    PS_ENDCAP_MASK = 0xF00, PS_JOIN_BEVEL = 0x1000, PS_JOIN_MITER = 0x2000, PS_JOIN_MASK = 0xF000,
    PS_GEOMETRIC = 0x10000
};
// The dashes and gaps of a stock dashed pen style, in pen units: a thin
// pen's are reference-screen pixels, a wide pen's multiples of its width.
// Empty for the solid, null and user-defined styles.
inline std::vector<double> StockDashPattern(std::uint32_t style, bool thin) {
    switch (style & PS_STYLE_MASK) {
        case PS_DASH: return thin ? std::vector<double>{18, 6} : std::vector<double>{3, 1};
        case PS_DOT: return thin ? std::vector<double>{3, 3} : std::vector<double>{1, 1};
        case PS_DASHDOT: return thin ? std::vector<double>{9, 6, 3, 6} : std::vector<double>{3, 1, 1, 1};
        case PS_DASHDOTDOT: return thin ? std::vector<double>{9, 3, 3, 3, 3, 3} : std::vector<double>{3, 1, 1, 1, 1, 1};
        case PS_ALTERNATE: return {1, 1};
        default: return {};
    }
}
// Brush styles and hatches.
enum : std::uint32_t { BS_SOLID = 0, BS_NULL = 1, BS_HATCHED = 2, BS_PATTERN = 3, BS_DIBPATTERN = 5, BS_DIBPATTERNPT = 6 };
enum : std::uint32_t { HS_HORIZONTAL = 0, HS_VERTICAL = 1, HS_FDIAGONAL = 2, HS_BDIAGONAL = 3, HS_CROSS = 4, HS_DIAGCROSS = 5 };
// Stock objects, referenced in EMF with the high bit set.
inline constexpr std::uint32_t StockObjectFlag = 0x80000000u;
enum : std::uint32_t {
    WHITE_BRUSH = 0, LTGRAY_BRUSH = 1, GRAY_BRUSH = 2, DKGRAY_BRUSH = 3, BLACK_BRUSH = 4, NULL_BRUSH = 5,
    WHITE_PEN = 6, BLACK_PEN = 7, NULL_PEN = 8, OEM_FIXED_FONT = 10, ANSI_FIXED_FONT = 11, ANSI_VAR_FONT = 12,
    SYSTEM_FONT = 13, DEVICE_DEFAULT_FONT = 14, DEFAULT_PALETTE = 15, SYSTEM_FIXED_FONT = 16,
    DEFAULT_GUI_FONT = 17, DC_BRUSH = 18, DC_PEN = 19
};
// Clipping region combination modes.
enum : std::uint32_t { RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5 };
// World-transform modification modes.
enum : std::uint32_t { MWT_IDENTITY = 1, MWT_LEFTMULTIPLY = 2, MWT_RIGHTMULTIPLY = 3, MWT_SET = 4 };
// Raster operations the player knows.
enum : std::uint32_t {
    SRCCOPY = 0x00CC0020, SRCPAINT = 0x00EE0086, SRCAND = 0x008800C6, SRCINVERT = 0x00660046,
    SRCERASE = 0x00440328, NOTSRCCOPY = 0x00330008, NOTSRCERASE = 0x001100A6, MERGECOPY = 0x00C000CA,
    MERGEPAINT = 0x00BB0226, PATCOPY = 0x00F00021, PATPAINT = 0x00FB0A09, PATINVERT = 0x005A0049,
    DSTINVERT = 0x00550009, BLACKNESS = 0x00000042, WHITENESS = 0x00FF0062
};
// Font weights and pitch/charset values the player reads.
inline constexpr int FW_BOLD = 700;

}  // namespace tal::pictures
