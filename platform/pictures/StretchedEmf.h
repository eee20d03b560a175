#pragma once
// Writing an enhanced metafile that records a graphic stretched into a frame
// of reference-screen pixels. An enhanced metafile is recorded as its own
// records under a transform that maps its frame onto the new one (its own
// mapping and world transforms are folded into that transform as it plays),
// so vector drawings stay vector; bitmaps and icons become stretched DIBs; a
// Windows metafile is drawn into a DIB.
#include <cstdint>
#include <vector>

#include "platform/Graphic.h"
#include "platform/pictures/Metafile.h"
#include "platform/pictures/MetafileWriter.h"
#include "platform/pictures/StretchLayers.h"

namespace tal::pictures {

// rasterScale: raster pixels per frame pixel where a Windows metafile has to
// be drawn into pixels.
// bitmapLimit: the most pixels a side a bitmap or icon is recorded at.
std::vector<std::uint8_t> RecordStretchedEmf(const TGraphic& graphic, int width, int height, double rasterScale,
                                        TBitmapLimit bitmapLimit = {});

}  // namespace tal::pictures
