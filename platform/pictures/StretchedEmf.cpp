#include "platform/pictures/StretchedEmf.h"

#include <algorithm>
#include <cmath>

#include "platform/pictures/ByteView.h"
#include "platform/pictures/Dib.h"

namespace tal::pictures {

namespace {

// The reference screen: 1920 x 1080 pixels at 96 ppi.
constexpr int ScreenPixelsX = 1920, ScreenPixelsY = 1080;

void AppendRect(TRecordData& out, std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) {
    out.I32(l).I32(t).I32(r).I32(b);
}

std::int32_t ToInt32(double v) {
    if (!(v == v)) return 0;
    return static_cast<std::int32_t>(std::clamp(std::nearbyint(v), -2147483648.0, 2147483647.0));
}

// ---- transforms, in the row-vector form of XFORM: (x, y) -> (x M11 + y M21 + Dx, x M12 + y M22 + Dy) ----

struct TXForm {
    double M11 = 1, M12 = 0, M21 = 0, M22 = 1, Dx = 0, Dy = 0;
};

// a first, then b.
TXForm Then(const TXForm& a, const TXForm& b) {
    return {a.M11 * b.M11 + a.M12 * b.M21, a.M11 * b.M12 + a.M12 * b.M22,
            a.M21 * b.M11 + a.M22 * b.M21, a.M21 * b.M12 + a.M22 * b.M22,
            a.Dx * b.M11 + a.Dy * b.M21 + b.Dx, a.Dx * b.M12 + a.Dy * b.M22 + b.Dy};
}

TXForm ReadXForm(const TByteView& r, std::size_t at) {
    return {r.F32(at), r.F32(at + 4), r.F32(at + 8), r.F32(at + 12), r.F32(at + 16), r.F32(at + 20)};
}

// What a metafile sets up to map its logical units onto its device.
struct TPageState {
    std::uint32_t MapMode = MM_TEXT;
    double WOrgX = 0, WOrgY = 0, WExtX = 1, WExtY = 1;
    double VOrgX = 0, VOrgY = 0, VExtX = 1, VExtY = 1;
    TXForm World;
};

// Plays the transform records of an enhanced metafile as its player would,
// so that they can be replaced by one world transform: the metafile's own
// world and page transforms, then the mapping of its frame onto the new one.
class TTransformFolder {
public:
    TTransformFolder(const TMetafileInfo& info, int width, int height) {
        FPixelsX = info.DevicePixelsX > 0 ? info.DevicePixelsX : ScreenPixelsX;
        FPixelsY = info.DevicePixelsY > 0 ? info.DevicePixelsY : ScreenPixelsY;
        FMillimetersX = info.DeviceMillimetersX > 0 ? info.DeviceMillimetersX : FPixelsX * 25.4 / 96;
        FMillimetersY = info.DeviceMillimetersY > 0 ? info.DeviceMillimetersY : FPixelsY * 25.4 / 96;
        double left = info.Frame.Left * FPixelsX / (FMillimetersX * 100);
        double right = info.Frame.Right * FPixelsX / (FMillimetersX * 100);
        double top = info.Frame.Top * FPixelsY / (FMillimetersY * 100);
        double bottom = info.Frame.Bottom * FPixelsY / (FMillimetersY * 100);
        if (!(std::abs(right - left) > 1e-9) || !(std::abs(bottom - top) > 1e-9)) {
            left = info.Bounds.Left, right = info.Bounds.Right + 1.0;
            top = info.Bounds.Top, bottom = info.Bounds.Bottom + 1.0;
        }
        const double sx = std::abs(right - left) > 1e-9 ? width / (right - left) : 1.0;
        const double sy = std::abs(bottom - top) > 1e-9 ? height / (bottom - top) : 1.0;
        FFrame = {sx, 0, 0, sy, -left * sx, -top * sy};
    }

    // Folds a transform record into the state; false for any other record.
    bool Fold(TEmr type, const TByteView& r) {
        switch (type) {
            case TEmr::SetMapMode: SetMapMode(r.U32(8)); return true;
            case TEmr::SetWindowExtEx:
                if (Scalable() && r.I32(8) != 0 && r.I32(12) != 0) {
                    FState.WExtX = r.I32(8), FState.WExtY = r.I32(12);
                    FixIsotropic();
                }
                return true;
            case TEmr::SetViewportExtEx:
                if (Scalable() && r.I32(8) != 0 && r.I32(12) != 0) {
                    FState.VExtX = r.I32(8), FState.VExtY = r.I32(12);
                    FixIsotropic();
                }
                return true;
            case TEmr::SetWindowOrgEx: FState.WOrgX = r.I32(8), FState.WOrgY = r.I32(12); return true;
            case TEmr::SetViewportOrgEx: FState.VOrgX = r.I32(8), FState.VOrgY = r.I32(12); return true;
            case TEmr::ScaleViewportExtEx:
                Scale(FState.VExtX, FState.VExtY, r);
                return true;
            case TEmr::ScaleWindowExtEx:
                Scale(FState.WExtX, FState.WExtY, r);
                return true;
            case TEmr::SetWorldTransform: FState.World = ReadXForm(r, 8); return true;
            case TEmr::ModifyWorldTransform: ModifyWorld(ReadXForm(r, 8), r.U32(32)); return true;
            default: return false;
        }
    }

    void Save() { FSaved.push_back(FState); }
    void Restore(std::int32_t relative) {
        const std::int64_t count = static_cast<std::int64_t>(FSaved.size());
        const std::int64_t keep = relative < 0 ? count + relative : static_cast<std::int64_t>(relative) - 1;
        if (keep < 0 || keep >= count) return;
        FState = FSaved[static_cast<std::size_t>(keep)];
        FSaved.resize(static_cast<std::size_t>(keep));
    }

    TXForm Final() const {
        const TPageState& s = FState;
        const double sx = s.VExtX / s.WExtX, sy = s.VExtY / s.WExtY;
        const TXForm page {sx, 0, 0, sy, s.VOrgX - sx * s.WOrgX, s.VOrgY - sy * s.WOrgY};
        return Then(Then(s.World, page), FFrame);
    }
    // Device units of the source onto the new frame.
    const TXForm& Frame() const { return FFrame; }

private:
    bool Scalable() const { return FState.MapMode == MM_ISOTROPIC || FState.MapMode == MM_ANISOTROPIC; }

    void SetMapMode(std::uint32_t mode) {
        TPageState& s = FState;
        const double perMm[] = {0, 0, 10, 100, 1000 / 25.4, 10000 / 25.4, 14400 / 25.4};
        if (mode == MM_TEXT) {
            s.WExtX = s.WExtY = s.VExtX = s.VExtY = 1;
        } else if (mode >= MM_LOMETRIC && mode <= MM_TWIPS) {
            s.WExtX = FMillimetersX * perMm[mode], s.WExtY = FMillimetersY * perMm[mode];
            s.VExtX = FPixelsX, s.VExtY = -FPixelsY;
        } else if (mode == MM_ISOTROPIC) {
            s.WExtX = FMillimetersX * 10, s.WExtY = FMillimetersY * 10;
            s.VExtX = FPixelsX, s.VExtY = -FPixelsY;
        } else if (mode != MM_ANISOTROPIC) {
            return;
        }
        s.MapMode = mode;
    }

    // Isotropic mapping keeps units square: the viewport shrinks along the
    // axis where a unit would be larger.
    void FixIsotropic() {
        TPageState& s = FState;
        if (s.MapMode != MM_ISOTROPIC) return;
        const double xdim = std::abs(s.VExtX * FMillimetersX / (FPixelsX * s.WExtX));
        const double ydim = std::abs(s.VExtY * FMillimetersY / (FPixelsY * s.WExtY));
        if (xdim > ydim) {
            const double v = std::nearbyint(s.VExtX * ydim / xdim);
            s.VExtX = v != 0 ? v : (s.VExtX >= 0 ? 1 : -1);
        } else if (ydim > xdim) {
            const double v = std::nearbyint(s.VExtY * xdim / ydim);
            s.VExtY = v != 0 ? v : (s.VExtY >= 0 ? 1 : -1);
        }
    }

    void Scale(double& x, double& y, const TByteView& r) {
        if (!Scalable()) return;
        const std::int32_t xNum = r.I32(8), xDenom = r.I32(12), yNum = r.I32(16), yDenom = r.I32(20);
        if (xNum == 0 || xDenom == 0 || yNum == 0 || yDenom == 0) return;
        x = x * xNum / xDenom;
        y = y * yNum / yDenom;
        FixIsotropic();
    }

    void ModifyWorld(const TXForm& x, std::uint32_t mode) {
        switch (mode) {
            case MWT_IDENTITY: FState.World = TXForm(); break;
            case MWT_LEFTMULTIPLY: FState.World = Then(x, FState.World); break;
            case MWT_RIGHTMULTIPLY: FState.World = Then(FState.World, x); break;
            case MWT_SET: FState.World = x; break;
            default: break;
        }
    }

    double FPixelsX, FPixelsY, FMillimetersX, FMillimetersY;
    TXForm FFrame;
    TPageState FState;
    std::vector<TPageState> FSaved;
};

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
