#include "platform/pictures/StretchedWmf.h"

#include <algorithm>

#include "platform/pictures/ByteView.h"
#include "platform/pictures/Dib.h"
#include "platform/pictures/EmfToWmf.h"
#include "platform/pictures/Metafile.h"

namespace tal::pictures {

namespace {

std::int16_t Clamp16(std::int64_t v) { return static_cast<std::int16_t>(std::clamp<std::int64_t>(v, -32768, 32767)); }

// Maps logical units onto the frame: the window is what readers stretch
// over the picture's display box.
void SetWindow(TWmfWriter& wmf, std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) {
    wmf.Add(TWmf::SetMapMode, {static_cast<std::int16_t>(MM_ANISOTROPIC)});
    wmf.Add(TWmf::SetWindowOrg, {Clamp16(top), Clamp16(left)});
    // A zero extent would divide by zero in a reader.
    wmf.Add(TWmf::SetWindowExt, {Clamp16(height == 0 ? 1 : height), Clamp16(width == 0 ? 1 : width)});
}

void AddStretchDib(TWmfWriter& wmf, const TDibLayer& layer, std::int16_t width, std::int16_t height) {
    TRecordData p;
    p.U32(layer.RasterOperation).U16(DIB_RGB_COLORS);
    p.I16(Clamp16(layer.Height)).I16(Clamp16(layer.Width)).I16(0).I16(0);  // source
    p.I16(height).I16(width).I16(0).I16(0);                                 // destination
    p.Bytes(layer.Info).Bytes(layer.Bits);
    wmf.Add(TWmf::StretchDIB, p);
}

// The records of a Windows metafile, between its header and META_EOF.
void CopyRecords(TWmfWriter& wmf, const TByteView& source, const TMetafileInfo& info) {
    std::size_t at = info.RecordsAt;
    while (source.Has(at, 6)) {
        const std::uint64_t size = static_cast<std::uint64_t>(source.U32(at)) * 2;
        const auto function = source.U16(at + 4);
        if (function == static_cast<std::uint16_t>(TWmf::Eof) || size < 6 || !source.Has(at, size)) break;
        wmf.AddRaw(source.Data() + at, static_cast<std::size_t>(size));
        at += static_cast<std::size_t>(size);
    }
}

// Placeable, with the box of the frame in reference pixels.
std::vector<std::uint8_t> FinishInFrame(const TWmfWriter& wmf, std::int16_t width, std::int16_t height) {
    return wmf.Finish(true, {0, 0, width, height}, ReferencePixelsPerInch);
}

}  // namespace

std::vector<std::uint8_t> RecordStretchedWmf(const TGraphic& graphic, int width, int height, double rasterScale,
                                        TBitmapLimit bitmapLimit) {
    const std::int16_t w = Clamp16(std::max(0, width)), h = Clamp16(std::max(0, height));
    TWmfWriter wmf;
    const auto* metafile = dynamic_cast<const TMetafile*>(&graphic);
    if (metafile && !metafile->Empty() && !metafile->Enhanced()) {
        // Its own records under a window that is its frame: readers map the
        // window onto the display box, so the drawing stays vector.
        const TMetafileInfo& info = metafile->Info();
        const TByteView source(metafile->Bytes().data(), metafile->Bytes().size(), "Metafile");
        SetWindow(wmf, info.Box.Left, info.Box.Top, info.Box.Right - info.Box.Left, info.Box.Bottom - info.Box.Top);
        wmf.SetObjectCount(info.ObjectCount);
        CopyRecords(wmf, source, info);
        return FinishInFrame(wmf, w, h);
    }
    int rasterWidth = 0, rasterHeight = 0;
    RasterSize(w, h, rasterScale, rasterWidth, rasterHeight);
    if (metafile && !metafile->Empty()) {
        // An enhanced metafile as Windows metafile records where they can
        // express it in no more bytes than its pixels would take (4 MiB at
        // least); else drawn into pixels below.
        const TByteView source(metafile->Bytes().data(), metafile->Bytes().size(), "Metafile");
        const std::size_t pixels = std::size_t {3} * static_cast<std::size_t>(rasterWidth) * static_cast<std::size_t>(rasterHeight);
        if (auto translated =
                TranslateEmfToWmf(source, metafile->Info(), {w, h, rasterScale, std::max<std::size_t>(4u << 20, pixels)}))
            return std::move(*translated);
    }
    SetWindow(wmf, 0, 0, w, h);
    for (const TDibLayer& layer : DibLayers(graphic, rasterWidth, rasterHeight, bitmapLimit)) AddStretchDib(wmf, layer, w, h);
    return FinishInFrame(wmf, w, h);
}

}  // namespace tal::pictures
