#pragma once
// Re-recording an enhanced metafile as Windows metafile records, as the
// platform's own metafile recording turns drawing calls into records: lines,
// polygons, shapes, flattened curves and paths, text with its font, pens,
// brushes, rectangular clipping and bitmaps each become their Windows
// metafile counterparts, so that the drawing stays vector in documents that
// embed Windows metafiles. The enhanced metafile's transforms are applied to
// the coordinates as they are written.
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/pictures/Metafile.h"
#include "platform/pictures/MetafileWriter.h"

namespace tal::pictures {

struct TEmfToWmfSettings {
    // The frame the drawing fills, in reference pixels.
    int Width = 0, Height = 0;
    // Raster pixels per frame pixel: a bitmap keeps no more pixels than its
    // box shows at that scale.
    double RasterScale = 1;
    // The most bytes of records the translation may write; past it the
    // picture is better drawn into pixels.
    std::size_t MaxBytes = 64u << 20;
};

// The whole placeable Windows metafile (box 0, 0, Width, Height at 96 units
// per inch), or nothing when the metafile holds a drawing that Windows
// metafile records cannot express (glyph-index text, turned or skewed blits,
// clips that are not one rectangle, and the like) or when the records
// would pass MaxBytes: such a picture is to be drawn into pixels instead.
// Malformed records are skipped as a player skips them; every length and
// offset is checked before use.
std::optional<std::vector<std::uint8_t>> TranslateEmfToWmf(const TByteView& bytes, const TMetafileInfo& info,
                                                           const TEmfToWmfSettings& settings);

}  // namespace tal::pictures
