#pragma once
// Reading a metafile's headers: whether it is a Windows or an enhanced
// metafile, its frame, and its size on a reference screen. Loading walks the
// whole record chain, so that a record running past the end is refused at
// load rather than met while drawing.
#include <cstddef>
#include <cstdint>

#include "platform/pictures/ByteView.h"

namespace tal::pictures {

struct TIntRect {
    std::int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
};

struct TMetafileInfo {
    bool Enhanced = false;
    // Windows metafiles.
    bool Placeable = false;
    TIntRect Box;               // logical units: the placeable box, or the window the records set
    std::uint32_t Inch = 0;     // logical units per inch
    std::size_t HeaderAt = 0;   // offset of the 18-byte metafile header
    std::size_t RecordsAt = 0;  // offset of the first record
    std::uint16_t ObjectCount = 0;
    // Enhanced metafiles.
    TIntRect Bounds;            // device units, inclusive
    TIntRect Frame;             // 0.01 mm, inclusive
    std::int32_t DevicePixelsX = 0, DevicePixelsY = 0;
    std::int32_t DeviceMillimetersX = 0, DeviceMillimetersY = 0;
    std::uint16_t Handles = 0;
    bool EmfPlus = false;       // carries EMF+ records (drawn from its plain records)
    std::size_t RecordCount = 0;
    // Size in hundredths of a millimetre, and in pixels of a 96 ppi screen.
    std::int64_t WidthHiMetric = 0, HeightHiMetric = 0;
    int Width = 0, Height = 0;
};

inline constexpr int ReferencePixelsPerInch = 96;

bool LooksLikeEnhancedMetafile(const TByteView& bytes);
TMetafileInfo ReadMetafileInfo(const TByteView& bytes);

}  // namespace tal::pictures
