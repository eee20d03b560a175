#pragma once
// Writing a Windows metafile that records a graphic stretched into a frame
// of reference-screen pixels, for documents that embed pictures as
// metafiles. A Windows metafile is recorded as its own records, so that
// vector drawings stay vector; bitmaps and icons become stretched DIBs; an
// enhanced metafile is drawn into a DIB.
#include <cstdint>
#include <vector>

#include "platform/Graphic.h"
#include "platform/pictures/MetafileRecords.h"
#include "platform/pictures/StretchLayers.h"

namespace tal::pictures {

// Collects records and frames them: the placeable header, the metafile
// header with its size, object count and largest record, and META_EOF.
class TWmfBuilder {
public:
    // Parameters in stored order (a rectangle as bottom, right, top, left).
    void Add(TWmf function, const TRecordBytes& parameters);
    void Add(TWmf function, std::initializer_list<std::int16_t> words);
    // A record copied as it stands, header included.
    void AddRaw(const std::uint8_t* record, std::size_t size);
    void SetObjectCount(std::uint16_t count) { FObjectCount = count; }
    std::vector<std::uint8_t> Finish(std::int16_t width, std::int16_t height, std::uint16_t inch) const;

private:
    std::vector<std::uint8_t> FRecords;
    std::uint32_t FMaxRecordWords = 3;
    std::uint16_t FObjectCount = 0;
};

// The whole file, placeable header first (box 0, 0, width, height at 96
// units per inch). width and height are clamped to the 16-bit range.
// rasterScale: raster pixels per frame pixel where a metafile of the other
// kind has to be drawn into pixels.
std::vector<std::uint8_t> RecordStretchedWmf(const TGraphic& graphic, int width, int height, double rasterScale);

}  // namespace tal::pictures
