#pragma once
// Writing a Windows metafile that records a graphic stretched into a frame
// of reference-screen pixels, for documents that embed pictures as
// metafiles. A Windows metafile is recorded as its own records, so that
// vector drawings stay vector; bitmaps and icons become stretched DIBs; an
// enhanced metafile is translated into Windows metafile records where they
// can express it (EmfToWmf.h), and drawn into a DIB where not.
#include <cstdint>
#include <vector>

#include "platform/Graphic.h"
#include "platform/pictures/MetafileWriter.h"
#include "platform/pictures/StretchLayers.h"

namespace tal::pictures {

// The whole file, placeable header first (box 0, 0, width, height at 96
// units per inch). width and height are clamped to the 16-bit range.
// rasterScale: raster pixels per frame pixel where a metafile of the other
// kind has to be drawn into pixels.
// bitmapLimit: the most pixels a side a bitmap or icon is recorded at.
std::vector<std::uint8_t> RecordStretchedWmf(const TGraphic& graphic, int width, int height, double rasterScale,
                                        TBitmapLimit bitmapLimit = {});

}  // namespace tal::pictures
