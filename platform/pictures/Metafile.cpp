#include "platform/pictures/Metafile.h"

#include <cmath>
#include <string>

#include "platform/pictures/MetafileRecords.h"

namespace tal::pictures {

namespace {

int ToPixels(std::int64_t units, std::int64_t unitsPerInch) {
    if (unitsPerInch <= 0) return 0;
    const double pixels = std::fabs(static_cast<double>(units)) * ReferencePixelsPerInch / unitsPerInch;
    return static_cast<int>(std::lround(std::min(pixels, 1e9)));
}

void SetSizes(TMetafileInfo& info, std::int64_t width, std::int64_t height, std::int64_t unitsPerInch) {
    info.Width = ToPixels(width, unitsPerInch);
    info.Height = ToPixels(height, unitsPerInch);
    info.WidthHiMetric = std::llround(std::fabs(static_cast<double>(width)) * 2540.0 / unitsPerInch);
    info.HeightHiMetric = std::llround(std::fabs(static_cast<double>(height)) * 2540.0 / unitsPerInch);
}

TIntRect ReadRectL(const TByteView& v, std::size_t at) {
    return {v.I32(at), v.I32(at + 4), v.I32(at + 8), v.I32(at + 12)};
}

// Walks the WMF records; a plain metafile takes its box from the first window
// origin and extent it sets.
void WalkWmf(const TByteView& v, TMetafileInfo& info) {
    bool haveOrg = false, haveExt = false;
    std::size_t at = info.RecordsAt;
    for (std::size_t n = 1;; ++n) {
        if (at == v.Size()) break;  // a chain that ends with the data is complete even without EOF
        v.Require(at, 6, ("record " + std::to_string(n)).c_str());
        const std::uint64_t size = std::uint64_t{v.U32(at)} * 2;
        const auto function = static_cast<TWmf>(v.U16(at + 4));
        if (size < 6 || size > v.Size() - at)
            v.Fail("record " + std::to_string(n) + " at offset " + std::to_string(at) + " claims " +
                   std::to_string(size) + " bytes, past the end of the data");
        if (function == TWmf::Eof) break;
        if (!info.Placeable && size >= 10) {
            if (function == TWmf::SetWindowOrg && !haveOrg) {
                info.Box.Left = v.I16(at + 8);
                info.Box.Top = v.I16(at + 6);
                haveOrg = true;
            } else if (function == TWmf::SetWindowExt && !haveExt) {
                info.Box.Right = v.I16(at + 8);
                info.Box.Bottom = v.I16(at + 6);
                haveExt = true;
            }
        }
        info.RecordCount = n;
        at += static_cast<std::size_t>(size);
    }
    if (!info.Placeable) {
        if (!haveExt) v.Fail("a Windows metafile without placeable header sets no window extent to size it by");
        // The extent was stored in Right/Bottom; turn it into a box.
        info.Box.Right += info.Box.Left;
        info.Box.Bottom += info.Box.Top;
    }
}

TMetafileInfo ReadWmf(const TByteView& v) {
    TMetafileInfo info;
    if (v.Has(0, 4) && v.U32(0) == PlaceableKey) {
        v.Require(0, PlaceableHeaderSize, "the placeable header");
        info.Placeable = true;
        info.Box = {v.I16(6), v.I16(8), v.I16(10), v.I16(12)};
        info.Inch = v.U16(14);
        if (info.Inch == 0) v.Fail("the placeable header gives 0 units per inch");
        info.HeaderAt = PlaceableHeaderSize;
    }
    v.Require(info.HeaderAt, WmfHeaderSize, "the metafile header");
    const std::uint16_t type = v.U16(info.HeaderAt);
    const std::uint16_t headerWords = v.U16(info.HeaderAt + 2);
    if ((type != 1 && type != 2) || headerWords != 9) v.Fail("not a Windows metafile (bad header)");
    info.ObjectCount = v.U16(info.HeaderAt + 10);
    info.RecordsAt = info.HeaderAt + WmfHeaderSize;
    WalkWmf(v, info);
    // Without a placeable header the logical units are taken as reference pixels.
    if (!info.Placeable) info.Inch = ReferencePixelsPerInch;
    SetSizes(info, std::int64_t{info.Box.Right} - info.Box.Left, std::int64_t{info.Box.Bottom} - info.Box.Top,
             info.Inch);
    return info;
}

void WalkEmf(const TByteView& v, TMetafileInfo& info, std::size_t first) {
    std::size_t at = first;
    for (std::size_t n = 2;; ++n) {
        if (at == v.Size()) break;
        v.Require(at, 8, ("record " + std::to_string(n)).c_str());
        const std::uint32_t type = v.U32(at);
        const std::uint32_t size = v.U32(at + 4);
        if (size < 8 || size % 4 != 0 || size > v.Size() - at)
            v.Fail("record " + std::to_string(n) + " (type " + std::to_string(type) + ") at offset " +
                   std::to_string(at) + " claims " + std::to_string(size) + " bytes, past the end of the data");
        if (static_cast<TEmr>(type) == TEmr::Comment && size >= 16 && v.U32(at + 12) == EmfPlusSignature)
            info.EmfPlus = true;
        info.RecordCount = n;
        at += size;
        if (static_cast<TEmr>(type) == TEmr::Eof) break;
    }
}

TMetafileInfo ReadEmf(const TByteView& v) {
    TMetafileInfo info;
    info.Enhanced = true;
    const std::uint32_t headerSize = v.U32(4);
    if (headerSize < EmfHeaderMinSize || headerSize % 4 != 0 || headerSize > v.Size())
        v.Fail("the header record claims " + std::to_string(headerSize) + " bytes");
    info.Bounds = ReadRectL(v, 8);
    info.Frame = ReadRectL(v, 24);
    info.Handles = v.U16(56);
    info.DevicePixelsX = v.I32(72);
    info.DevicePixelsY = v.I32(76);
    info.DeviceMillimetersX = v.I32(80);
    info.DeviceMillimetersY = v.I32(84);
    // A reference device without a sensible size is taken as a 96 ppi screen.
    if (info.DevicePixelsX <= 0 || info.DevicePixelsY <= 0 || info.DeviceMillimetersX <= 0 ||
        info.DeviceMillimetersY <= 0) {
        info.DevicePixelsX = 96 * 100;
        info.DevicePixelsY = 96 * 100;
        info.DeviceMillimetersX = 2540;
        info.DeviceMillimetersY = 2540;
    }
    info.RecordCount = 1;
    WalkEmf(v, info, headerSize);
    SetSizes(info, std::int64_t{info.Frame.Right} - info.Frame.Left, std::int64_t{info.Frame.Bottom} - info.Frame.Top,
             2540);
    return info;
}

}  // namespace

bool LooksLikeEnhancedMetafile(const TByteView& v) {
    return v.Has(0, 44) && v.U32(0) == static_cast<std::uint32_t>(TEmr::Header) && v.U32(40) == EmfSignature;
}

TMetafileInfo ReadMetafileInfo(const TByteView& v) {
    return LooksLikeEnhancedMetafile(v) ? ReadEmf(v) : ReadWmf(v);
}

}  // namespace tal::pictures
