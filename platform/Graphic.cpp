#include "platform/Graphic.h"

#include "platform/pictures/Cairo.h"
#include "platform/pictures/Dib.h"
#include "platform/pictures/MetafilePlayer.h"

namespace tal {

using pictures::TByteView;

void TGraphic::LoadFromStream(TStream& stream) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(stream.Remaining()));
    if (!bytes.empty()) stream.ReadBuffer(bytes.data(), bytes.size());
    LoadFromBytes(std::move(bytes));
}

namespace {

// Decodes first and keeps the bytes only on success, so a failed load leaves
// the picture as it was.
template <typename Decode>
void LoadChecked(std::vector<std::uint8_t>& target, std::vector<std::uint8_t> bytes, Decode decode) {
    decode(bytes);
    target = std::move(bytes);
}

bool EmptyRect(const TPixelRect& rect) { return rect.Width() == 0 || rect.Height() == 0; }

}  // namespace

void TBitmap::LoadFromBytes(std::vector<std::uint8_t> bytes) {
    LoadChecked(FBytes, std::move(bytes), [this](const std::vector<std::uint8_t>& b) {
        FPixels = b.empty() ? TRaster() : pictures::DecodeBmpFile(TByteView(b.data(), b.size(), "Bitmap"));
    });
}

void TBitmap::SetSize(int width, int height) {
    FPixels = TRaster(width, height);
    FBytes.clear();
}

void TBitmap::StretchDraw(TRaster& raster, const TPixelRect& rect) const {
    if (Empty() || EmptyRect(rect)) return;
    pictures::TRasterCanvas canvas(raster);
    const pictures::TCairoSurface surface = pictures::SurfaceFromRaster(FPixels);
    pictures::PaintScaled(canvas.Context(), surface.get(), rect.Left, rect.Top, rect.Width(), rect.Height());
    canvas.Commit();
}

void TMetafile::LoadFromBytes(std::vector<std::uint8_t> bytes) {
    LoadChecked(FBytes, std::move(bytes), [this](const std::vector<std::uint8_t>& b) {
        FInfo = b.empty() ? pictures::TMetafileInfo()
                          : pictures::ReadMetafileInfo(TByteView(b.data(), b.size(), "Metafile"));
    });
}

void TMetafile::StretchDraw(TRaster& raster, const TPixelRect& rect) const {
    if (Empty() || EmptyRect(rect)) return;
    pictures::TRasterCanvas canvas(raster);
    pictures::TPictureBudget budget = DrawingBudget();
    pictures::PlayMetafile(TByteView(FBytes.data(), FBytes.size(), "Metafile"), FInfo, canvas.Context(),
                           {static_cast<double>(rect.Left), static_cast<double>(rect.Top),
                            static_cast<double>(rect.Width()), static_cast<double>(rect.Height())},
                           &budget);
    canvas.Commit();
}

pictures::TPictureBudget TMetafile::DrawingBudget() const {
    return pictures::TPictureBudget("Metafile", pictures::TPictureBudget::MaxPixelOperations,
                                    pictures::TPictureBudget::MaxPatternPixels, FSharedBudget.get());
}

void TIcon::LoadFromBytes(std::vector<std::uint8_t> bytes) {
    LoadChecked(FBytes, std::move(bytes), [this](const std::vector<std::uint8_t>& b) {
        FIcon = b.empty() ? pictures::TIconFile() : pictures::DecodeIconFile(TByteView(b.data(), b.size(), "Icon"));
    });
}

const pictures::TIconImage* TIcon::Chosen() const {
    return FIcon.Images.empty() ? nullptr : &FIcon.Images[FIcon.Chosen];
}

int TIcon::Width() const { return Chosen() ? Chosen()->Image.Width() : 0; }
int TIcon::Height() const { return Chosen() ? Chosen()->Image.Height() : 0; }

void TIcon::StretchDraw(TRaster& raster, const TPixelRect& rect) const {
    if (!Chosen() || EmptyRect(rect)) return;
    pictures::TRasterCanvas canvas(raster);
    const pictures::TCairoSurface surface = pictures::SurfaceFromImage(Chosen()->Image);
    pictures::PaintScaled(canvas.Context(), surface.get(), rect.Left, rect.Top, rect.Width(), rect.Height());
    canvas.Commit();
}

TRaster DrawToRaster(const TGraphic& graphic, int width, int height) {
    TRaster raster(width, height);
    graphic.StretchDraw(raster, {0, 0, width, height});
    return raster;
}

}  // namespace tal
