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
#include "platform/pictures/MetafileRecords.h"
#include "platform/pictures/StretchLayers.h"

namespace tal::pictures {

// Collects records and frames them with EMR_HEADER and EMR_EOF.
class TEmfBuilder {
public:
    void Add(TEmr type, const TRecordBytes& parameters);
    // A record copied as it stands, header included (its size a multiple of 4).
    void AddRaw(const std::uint8_t* record, std::size_t size);
    void SetHandles(std::uint16_t handles) { FHandles = handles; }
    // Bounds (0, 0, width - 1, height - 1) in pixels of the 96 ppi reference
    // screen and the frame in hundredths of a millimetre.
    std::vector<std::uint8_t> Finish(int width, int height) const;

private:
    std::vector<std::uint8_t> FRecords;
    std::uint32_t FCount = 0;
    std::uint16_t FHandles = 1;
};

// rasterScale: raster pixels per frame pixel where a Windows metafile has to
// be drawn into pixels.
std::vector<std::uint8_t> RecordStretchedEmf(const TGraphic& graphic, int width, int height, double rasterScale);

}  // namespace tal::pictures
