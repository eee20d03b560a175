#pragma once
// Checking pictures on pages a real reader rendered: what parts of a picture
// must look like, in fractions of the box it was placed in, and the checks
// of a rendered page against them.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tal::testing {

struct TRgb {
    int R = 255, G = 255, B = 255;
    std::uint32_t Dib() const { return static_cast<std::uint32_t>(R << 16 | G << 8 | B); }       // 0x00RRGGBB
    std::uint32_t ColorRef() const { return static_cast<std::uint32_t>(B << 16 | G << 8 | R); }  // 0x00BBGGRR
};

constexpr TRgb White {255, 255, 255}, Red {255, 0, 0}, Green {0, 255, 0}, Blue {0, 0, 255}, Yellow {255, 255, 0},
    Magenta {255, 0, 255}, Black {0, 0, 0}, Cyan {0, 255, 255}, Orange {255, 128, 0};

// Per channel: quality 90 with chroma subsampling keeps a block's centre
// within a few levels, but two pixels from a block edge of a picture
// stretched twice across, saturated colours move by up to about 35; 40 still
// tells every colour used here from its neighbours (they differ by 128 or 255).
constexpr int ColourTolerance = 40;

// A part of a picture, in fractions of its box. A solid area has the colour
// everywhere (a band along its edges aside); a shared area has it in a share
// of its pixels between MinShare and MaxShare, as glyphs cover their cells.
struct TArea {
    double L, T, R, B;
    TRgb Colour;
    double MinShare = 1, MaxShare = 1;
};

struct TExpectation {
    std::vector<TArea> Areas;
    TArea Extent;  // the drawn (non-white) part; its colour is unused
};

// An area of a picture drawn in logical units of a square of `units`.
TArea UnitArea(double units, double l, double t, double r, double b, TRgb colour);

// Blocks of a cols x rows grid; a block without colour is transparent.
TExpectation BlockExpectation(int cols, int rows, const std::function<std::optional<TRgb>(int, int)>& colour);

struct TPlacement {
    std::string Name;
    double X, Y, W, H;  // points, whole numbers
    TExpectation Expect;
};

struct TImage {
    int Width = 0, Height = 0;
    std::vector<unsigned char> Pixels;
    TRgb At(int x, int y) const;
};

struct TWorst {
    int Colour = 0;
    double Edge = 0;
};

// The exit status of a shell command, its output discarded.
int RunStatus(const std::string& command);

// Page `page` (from 1) of the document rendered by pdftoppm at one pixel per
// point without anti-aliasing.
TImage RenderPage(const std::string& pdf, int page);

// Page 1 rendered at dpi by "pdftoppm", "mutool" or "gs", anti-aliased as a
// viewer shows it or not, and what the reader said. Installed is false (and
// nothing else set) when the reader is missing.
struct TReaderRendering {
    bool Installed = false;
    int Status = -1;
    std::string Output;
    TImage Page;
};
TReaderRendering RenderWithReader(const std::string& reader, const std::string& pdf, int dpi, bool antialias);
// Whether a reader's output holds a line naming an error or a warning.
bool HasErrorLine(const std::string& output);

// Every area of the placement, and the drawn part's edges within a pixel.
void CheckPlacement(const TImage& page, const TPlacement& p, TWorst& worst);

}  // namespace tal::testing
