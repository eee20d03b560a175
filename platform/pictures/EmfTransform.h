#pragma once
// The mapping of an enhanced metafile's logical units onto a new frame, as
// its transform records change it while the records are walked: the
// metafile's own world and page transforms, then its frame onto the new one.
// Shared by the writers that re-record an enhanced metafile.
#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/pictures/ByteView.h"
#include "platform/pictures/Metafile.h"
#include "platform/pictures/MetafileRecords.h"

namespace tal::pictures {

// The reference screen: 1920 x 1080 pixels at 96 ppi.
inline constexpr int ScreenPixelsX = 1920, ScreenPixelsY = 1080;

// ---- transforms, in the row-vector form of XFORM: (x, y) -> (x M11 + y M21 + Dx, x M12 + y M22 + Dy) ----

struct TXForm {
    double M11 = 1, M12 = 0, M21 = 0, M22 = 1, Dx = 0, Dy = 0;
};

// a first, then b.
inline TXForm Then(const TXForm& a, const TXForm& b) {
    return {a.M11 * b.M11 + a.M12 * b.M21, a.M11 * b.M12 + a.M12 * b.M22,
            a.M21 * b.M11 + a.M22 * b.M21, a.M21 * b.M12 + a.M22 * b.M22,
            a.Dx * b.M11 + a.Dy * b.M21 + b.Dx, a.Dx * b.M12 + a.Dy * b.M22 + b.Dy};
}

inline TXForm ReadXForm(const TByteView& r, std::size_t at) {
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

}  // namespace tal::pictures
