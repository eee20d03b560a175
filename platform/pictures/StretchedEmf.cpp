#include "platform/pictures/StretchedEmf.h"

#include <algorithm>
#include <cmath>

#include "platform/pictures/ByteView.h"
#include "platform/pictures/Dib.h"
#include "platform/pictures/EmfTransform.h"

namespace tal::pictures {

namespace {

void AppendRect(TRecordData& out, std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) {
    out.I32(l).I32(t).I32(r).I32(b);
}

std::int32_t ToInt32(double v) {
    if (!(v == v)) return 0;
    return static_cast<std::int32_t>(std::clamp(std::nearbyint(v), -2147483648.0, 2147483647.0));
}

// A transform element as a float: out-of-range values are held at the
// largest float, and a NaN becomes 0, so the record stays playable.
float ToFloat(double v) {
    if (!(v == v)) return 0.0f;
    return static_cast<float>(std::clamp(v, -3.0e38, 3.0e38));
}

void AddWorldTransform(TEmfWriter& emf, const TXForm& x) {
    TRecordData p;
    for (const double v : {x.M11, x.M12, x.M21, x.M22, x.Dx, x.Dy}) p.F32(ToFloat(v));
    emf.Add(TEmr::SetWorldTransform, p);
}

// A clipping region is given in device units: it moves with the frame.
void AddClipRegion(TEmfWriter& emf, const TByteView& r, const TXForm& frame) {
    const std::uint32_t dataSize = r.U32(8);
    const std::uint32_t mode = r.U32(12);
    if (dataSize < 32 || !r.Has(16, dataSize)) {
        TRecordData p;
        p.U32(0).U32(mode);
        emf.Add(TEmr::ExtSelectClipRgn, p);
        return;
    }
    const std::uint32_t count = r.U32(16 + 8);
    if (count > (dataSize - 32) / 16) return;  // a region that lies about its rectangles
    TRecordData p;
    p.U32(32 + count * 16).U32(mode);
    p.U32(32).U32(1).U32(count).U32(count * 16);
    auto rect = [&](std::size_t at) {
        const double x1 = r.I32(at) * frame.M11 + frame.Dx, y1 = r.I32(at + 4) * frame.M22 + frame.Dy;
        const double x2 = r.I32(at + 8) * frame.M11 + frame.Dx, y2 = r.I32(at + 12) * frame.M22 + frame.Dy;
        AppendRect(p, ToInt32(std::min(x1, x2)), ToInt32(std::min(y1, y2)), ToInt32(std::max(x1, x2)),
                   ToInt32(std::max(y1, y2)));
    };
    rect(16 + 16);
    for (std::uint32_t i = 0; i < count; ++i) rect(16 + 32 + 16 * static_cast<std::size_t>(i));
    emf.Add(TEmr::ExtSelectClipRgn, p);
}

bool IsEmfPlusComment(const TByteView& r) { return r.Has(12, 4) && r.U32(12) == EmfPlusSignature; }

// Every record between the header and EMR_EOF, with the transforms folded.
void CopyRecords(TEmfWriter& emf, const TByteView& source, const TMetafileInfo& info, int width, int height) {
    TTransformFolder folder(info, width, height);
    AddWorldTransform(emf, folder.Final());
    std::size_t at = source.U32(4);  // past the header
    while (source.Has(at, 8)) {
        const std::uint32_t size = source.U32(at + 4);
        const auto type = static_cast<TEmr>(source.U32(at));
        if (type == TEmr::Eof || size < 8 || size % 4 != 0 || !source.Has(at, size)) break;
        const TByteView record = source.Sub(at, size, "a metafile record");
        at += size;
        try {
            if (folder.Fold(type, record)) {
                AddWorldTransform(emf, folder.Final());
                continue;
            }
        } catch (const EInvalidGraphic&) {
            continue;  // a transform record too short for its fields: skipped, as a player would
        }
        if (type == TEmr::Comment && IsEmfPlusComment(record)) continue;  // the plain records draw it
        if (type == TEmr::ExtSelectClipRgn) {
            if (record.Has(8, 8)) AddClipRegion(emf, record, folder.Frame());
            continue;
        }
        emf.AddRaw(record.Data(), size);
        if (type == TEmr::SaveDC) folder.Save();
        if (type == TEmr::RestoreDC && record.Has(8, 4)) {
            folder.Restore(record.I32(8));
            AddWorldTransform(emf, folder.Final());
        }
    }
}

void AddStretchDib(TEmfWriter& emf, const TDibLayer& layer, int width, int height) {
    constexpr std::uint32_t fixed = 80;
    const auto infoSize = static_cast<std::uint32_t>(layer.Info.size());
    const auto bitsSize = static_cast<std::uint32_t>(layer.Bits.size());
    TRecordData p;
    AppendRect(p, 0, 0, width - 1, height - 1);
    p.I32(0).I32(0).I32(0).I32(0).I32(layer.Width).I32(layer.Height);
    p.U32(fixed).U32(infoSize).U32(fixed + infoSize).U32(bitsSize);
    p.U32(DIB_RGB_COLORS).U32(layer.RasterOperation).I32(width).I32(height);
    p.Bytes(layer.Info).Bytes(layer.Bits);
    emf.Add(TEmr::StretchDIBits, p);
}

// Bounds (0, 0, width - 1, height - 1) in pixels of the reference screen,
// the frame in hundredths of a millimetre, and the reference screen as the
// device, its size in micrometres worked out from its pixels rather than
// from its rounded millimetres.
std::vector<std::uint8_t> FinishInFrame(const TEmfWriter& emf, int width, int height) {
    const auto mm = [](int pixels) { return ToInt32(pixels * 25.4 / ReferencePixelsPerInch); };
    const auto um = [](int pixels) { return ToInt32(pixels * 25400.0 / ReferencePixelsPerInch); };
    return emf.Finish({0, 0, width - 1, height - 1},
                      {0, 0, static_cast<std::int32_t>(ReferencePixelsToHiMetric(width)),
                       static_cast<std::int32_t>(ReferencePixelsToHiMetric(height))},
                      {ScreenPixelsX, ScreenPixelsY, mm(ScreenPixelsX), mm(ScreenPixelsY), um(ScreenPixelsX),
                       um(ScreenPixelsY)});
}

}  // namespace

std::vector<std::uint8_t> RecordStretchedEmf(const TGraphic& graphic, int width, int height, double rasterScale,
                                        TBitmapLimit bitmapLimit) {
    width = std::max(0, width);
    height = std::max(0, height);
    TEmfWriter emf;
    const auto* metafile = dynamic_cast<const TMetafile*>(&graphic);
    if (metafile && !metafile->Empty() && metafile->Enhanced()) {
        const TMetafileInfo& info = metafile->Info();
        emf.SetHandles(std::max<std::uint16_t>(1, info.Handles));
        CopyRecords(emf, TByteView(metafile->Bytes().data(), metafile->Bytes().size(), "Metafile"), info, width, height);
        return FinishInFrame(emf, width, height);
    }
    int rasterWidth = 0, rasterHeight = 0;
    RasterSize(width, height, rasterScale, rasterWidth, rasterHeight);
    for (const TDibLayer& layer : DibLayers(graphic, rasterWidth, rasterHeight, bitmapLimit)) AddStretchDib(emf, layer, width, height);
    return FinishInFrame(emf, width, height);
}

}  // namespace tal::pictures
