#pragma once
// Pictures carried by a report: device-independent bitmaps, metafiles and
// icons. Each loads itself from the bytes of its own file format, decoding
// them at once (undecodable bytes raise EInvalidGraphic naming the kind), and
// can be drawn scaled into a rectangle of a 24-bit raster.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Stream.h"
#include "platform/pictures/Icon.h"
#include "platform/pictures/Metafile.h"
#include "platform/pictures/PictureBudget.h"
#include "platform/pictures/Raster.h"

namespace tal {

enum class TGraphicKind : std::uint8_t { Bitmap = 1, Metafile = 2, Icon = 3 };

class TGraphic {
public:
    virtual ~TGraphic() = default;
    virtual TGraphicKind Kind() const = 0;

    // Takes the picture from the stream's remaining bytes.
    void LoadFromStream(TStream& stream);
    // Keeps the bytes and decodes them; no bytes at all give an empty picture.
    virtual void LoadFromBytes(std::vector<std::uint8_t> bytes) { FBytes = std::move(bytes); }

    // The picture's file bytes as loaded.
    const std::vector<std::uint8_t>& Bytes() const { return FBytes; }
    virtual bool Empty() const { return FBytes.empty(); }

    // Size in pixels; a metafile's for a 96 ppi reference screen.
    virtual int Width() const { return 0; }
    virtual int Height() const { return 0; }

    // Draws the picture scaled into rect of raster (the stretch-draw); parts
    // of rect outside the raster are cut off. An empty picture draws nothing.
    virtual void StretchDraw(TRaster& raster, const TPixelRect& rect) const = 0;

protected:
    std::vector<std::uint8_t> FBytes;
};

class TBitmap : public TGraphic {
public:
    TGraphicKind Kind() const override { return TGraphicKind::Bitmap; }
    void LoadFromBytes(std::vector<std::uint8_t> bytes) override;
    bool Empty() const override { return FPixels.Empty(); }
    int Width() const override { return FPixels.Width(); }
    int Height() const override { return FPixels.Height(); }
    void StretchDraw(TRaster& raster, const TPixelRect& rect) const override;

    // The pixels as 24-bit rows, top row first.
    const TRaster& Pixels() const { return FPixels; }
    TRaster& Pixels() { return FPixels; }
    // A new white picture of the size (as the platform's bitmap gets it).
    // Pixels set this way come from no file: the bytes are dropped.
    void SetSize(int width, int height);
    void Assign(TRaster pixels) {
        FPixels = std::move(pixels);
        FBytes.clear();
    }

private:
    TRaster FPixels;
};

class TMetafile : public TGraphic {
public:
    TGraphicKind Kind() const override { return TGraphicKind::Metafile; }
    void LoadFromBytes(std::vector<std::uint8_t> bytes) override;
    int Width() const override { return FInfo.Width; }
    int Height() const override { return FInfo.Height; }
    void StretchDraw(TRaster& raster, const TPixelRect& rect) const override;

    // True for an enhanced metafile, false for a Windows metafile.
    bool Enhanced() const { return FInfo.Enhanced; }
    // Size in hundredths of a millimetre.
    std::int64_t WidthHiMetric() const { return FInfo.WidthHiMetric; }
    std::int64_t HeightHiMetric() const { return FInfo.HeightHiMetric; }
    const pictures::TMetafileInfo& Info() const { return FInfo; }
    // Every drawing of the picture is charged to budget as well (the
    // report's), beside the picture's own budget for that drawing.
    void SetSharedBudget(std::shared_ptr<pictures::TPictureBudget> budget) { FSharedBudget = std::move(budget); }
    // The budget of one drawing of the picture: its own limits, charged to
    // the shared budget as well when there is one.
    pictures::TPictureBudget DrawingBudget() const;

private:
    pictures::TMetafileInfo FInfo;
    std::shared_ptr<pictures::TPictureBudget> FSharedBudget;
};

class TIcon : public TGraphic {
public:
    TGraphicKind Kind() const override { return TGraphicKind::Icon; }
    void LoadFromBytes(std::vector<std::uint8_t> bytes) override;
    int Width() const override;
    int Height() const override;
    void StretchDraw(TRaster& raster, const TPixelRect& rect) const override;

    // Every image of the icon file, and the one that is drawn.
    const std::vector<pictures::TIconImage>& Images() const { return FIcon.Images; }
    const pictures::TIconImage* Chosen() const;

private:
    pictures::TIconFile FIcon;
};

// A new white raster of width x height with graphic stretch-drawn over all of it.
TRaster DrawToRaster(const TGraphic& graphic, int width, int height);

}  // namespace tal
