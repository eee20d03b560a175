// Pictures on the page: each is drawn into a raster, stored as a JPEG image
// object, and placed by the cm operator that scales the image's unit square
// to its box.
#include "pdf/PdfImages.h"

#include <algorithm>
#include <cmath>

#include "pdf/PdfFormat.h"
#include "pdf/RpRenderPDF.h"
#include "platform/Graphic.h"
#include "platform/jpeg/JpegEncoder.h"
#include "platform/pictures/MaskedRaster.h"
#include "render/RpConverter.h"

namespace tal {

// ---- the image object ----

TRPPDFXObject::TRPPDFXObject(TRpComponent& RenderPDF)
    : TRPPDFObject(RenderPDF), FImageData(std::make_unique<TMemoryStream>()) {}

void TRPPDFXObject::SetEncoded(std::int32_t Width, std::int32_t Height, TEncodedPicture Encoded) {
    FWidth = Width;
    FHeight = Height;
    FJpeg = std::move(Encoded.Jpeg);
    FMask = Encoded.Mask ? std::make_unique<TRPPDFImageMask>(FRenderPDF, Width, Height, std::move(Encoded.Mask))
                         : nullptr;
}

void TRPPDFXObject::WriteObject() {
    static const std::vector<std::uint8_t> none;
    const std::vector<std::uint8_t>& jpeg = FJpeg ? *FJpeg : none;
    FImageData->Clear();
    FImageData->Write(jpeg.data(), jpeg.size());
    FImageData->SetPosition(0);
    BeginObject();
    TRvRenderPDF& r = FRenderPDF;
    r.WriteLine("<<");
    r.WriteLine("/Type /XObject");
    r.WriteLine("/Subtype /Image");
    r.WriteLine("/Name /" + FImageName);
    r.WriteLineFmt("/Width %d /Height %d ", {FWidth, FHeight});
    r.WriteLine("/BitsPerComponent 8");
    r.WriteLineFmt("/ColorSpace /DeviceRGB /Length %d /Filter [/DCTDecode ]", {static_cast<long long>(jpeg.size())});
    // Colour keys cannot mark the transparent pixels of lossy JPEG data: an
    // explicit mask does.
    if (FMask) r.WriteLineFmt("/Mask %d 0 R", {FMask->ObjectNumber()});
    r.WriteLine(">>");
    r.WriteLine("stream");
    FObjectBuffer->Write(jpeg.data(), jpeg.size());
    r.WriteLine("endstream");
    EndObject();
    // Only the object text is kept until it is copied out; shared bytes go
    // with the last object that holds them.
    FImageData->Clear();
    FJpeg.reset();
}

// ---- picture operations of the renderer ----

std::string TRvRenderPDF::AddImage(std::unique_ptr<TRPPDFXObject> image) {
    image->FImageName = pdf::FormatPDF("G%d", {FImageList.Count() + 1});
    FImageList.Add(image->FImageName, image.get());
    FOwnedImages.push_back(std::move(image));
    return FImageList.Key(FImageList.Count() - 1);
}

std::string TRvRenderPDF::RegisterEncodedImage(std::int32_t Width, std::int32_t Height, TEncodedPicture Encoded) {
    auto image = std::make_unique<TRPPDFXObject>(*this);
    image->SetEncoded(Width, Height, std::move(Encoded));
    return AddImage(std::move(image));
}

// Every picture is encoded as it is drawn, so that only JPEG bytes stay in
// memory until the document is written; one drawn again from the same file
// bytes at the same size is encoded once.
std::string TRvRenderPDF::RegisterPicture(const TGraphic* Source, TPdfImageCache::TSource How, std::int32_t Width,
                                          std::int32_t Height, const std::function<pictures::TMaskedJpeg(int)>& Draw,
                                          const TRaster* Pixels) {
    const std::int32_t quality = ImageQuality();
    auto share = [](std::vector<std::uint8_t> bytes) {
        return std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes));
    };
    auto encode = [&]() -> TEncodedPicture {
        if (Pixels) return {share(EncodeJpeg(*Pixels, quality)), nullptr};
        pictures::TMaskedJpeg drawn = Draw(quality);
        return {share(std::move(drawn.Jpeg)),
                drawn.Mask.Empty() ? nullptr : share(pdf::RunLengthEncode(drawn.Mask.Bits))};
    };
    TPdfImageCache::TKey key{0, How, Width, Height, quality, nullptr};
    if (Source) {
        key.Kind = static_cast<std::uint8_t>(Source->Kind());
        key.FileBytes = &Source->Bytes();
    }
    return RegisterEncodedImage(Width, Height, FImageCache.Get(key, encode));
}

pictures::TSurfaceStore& TRvRenderPDF::Surfaces() {
    if (!FSurfaces) FSurfaces = std::make_unique<pictures::TSurfaceStore>();
    return *FSurfaces;
}

pictures::TMaskedJpeg TRvRenderPDF::DrawPicture(const TGraphic& Graphic, int Width, int Height, int Quality) {
    return pictures::DrawMaskedJpeg(Graphic, Width, Height, Quality, &Surfaces());
}

namespace {

// Pixels across a length in 1/72 inch at a resolution, halves to even; a
// length that is not a finite positive number gives none.
std::int64_t PixelsFor(double points, std::int32_t dpi) {
    const double pixels = std::nearbyint(points / 72.0 * dpi);
    if (!(pixels > 0)) return 0;
    return pixels > 1e12 ? static_cast<std::int64_t>(1e12) : static_cast<std::int64_t>(pixels);
}

// The raster of a metafile drawn at its own size: MetafileDPI for the size
// it is placed at, made smaller where that would pass the raster cap or
// cairo's 32767 pixels a side, but never smaller than one pixel per point,
// so that a picture drawn before at its own size still is.
void MetafileRasterForDraw(int width, int height, std::int32_t dpi, std::int64_t& rw, std::int64_t& rh) {
    rw = std::max<std::int64_t>(width, PixelsFor(width, dpi));
    rh = std::max<std::int64_t>(height, PixelsFor(height, dpi));
    constexpr double MaxSide = 32767;
    const double area = static_cast<double>(rw) * static_cast<double>(rh);
    const double reduce = std::min({1.0, std::sqrt(static_cast<double>(MaxRasterPixels) / area), MaxSide / rw,
                                    MaxSide / rh});
    if (reduce >= 1) return;
    rw = std::max<std::int64_t>(width, static_cast<std::int64_t>(std::floor(rw * reduce)));
    rh = std::max<std::int64_t>(height, static_cast<std::int64_t>(std::floor(rh * reduce)));
}

}  // namespace

void TRvRenderPDF::StretchDraw(const TRect& Rect, TGraphic& Graphic) {
    const std::int64_t w = PixelsFor(static_cast<double>(Rect.Right) - Rect.Left, MetafileDPI);
    const std::int64_t h = PixelsFor(static_cast<double>(Rect.Bottom) - Rect.Top, MetafileDPI);
    // A picture without area draws nothing: an image of no pixels is not
    // one every reader accepts.
    if (w == 0 || h == 0) return;
    CheckRasterSize(w, h, "picture");
    const int width = static_cast<int>(w), height = static_cast<int>(h);
    const std::string name = RegisterPicture(&Graphic, TPdfImageCache::TSource::Drawn, width, height,
                                             [&](int quality) { return DrawPicture(Graphic, width, height, quality); });
    Page().PlaceImage(name, Rect.Left / 72.0, Rect.Top / 72.0, Rect.Right / 72.0, Rect.Bottom / 72.0);
}

void TRvRenderPDF::Draw(TGraphic& Graphic, double X, double Y) {
    const int w = Graphic.Width(), h = Graphic.Height();
    if (w <= 0 || h <= 0) return;
    // A bitmap drawn at its own size is its own pixels: they are encoded as
    // they are, without a second raster and the drawing surfaces.
    const auto* bitmap = dynamic_cast<const TBitmap*>(&Graphic);
    if (bitmap) {
        const std::string name =
            RegisterPicture(&Graphic, TPdfImageCache::TSource::OwnPixels, w, h, {}, &bitmap->Pixels());
        Page().PlaceImage(name, X, Y, X + w / 72.0, Y + h / 72.0);
        return;
    }
    // A metafile has no pixels of its own: at one raster pixel per point it
    // would be blurred, so it is drawn at MetafileDPI for its placed size, as
    // StretchDraw draws it. An icon keeps its own pixels.
    std::int64_t rw = w, rh = h;
    if (Graphic.Kind() == TGraphicKind::Metafile) MetafileRasterForDraw(w, h, MetafileDPI, rw, rh);
    CheckRasterSize(rw, rh, "picture");
    const int width = static_cast<int>(rw), height = static_cast<int>(rh);
    const std::string name = RegisterPicture(&Graphic, TPdfImageCache::TSource::Drawn, width, height,
                                             [&](int quality) { return DrawPicture(Graphic, width, height, quality); });
    Page().PlaceImage(name, X, Y, X + w / 72.0, Y + h / 72.0);
}

void TRvRenderPDF::StretchBitmap(TBitmap& Bitmap, double X1, double Y1, double X2, double Y2) {
    PlaceBitmap(Bitmap, &Bitmap, X1, Y1, X2, Y2);
}

void TRvRenderPDF::PlaceBitmap(const TBitmap& Bitmap, const TGraphic* Source, double X1, double Y1, double X2,
                               double Y2) {
    if (Bitmap.Pixels().Empty()) return;
    const std::string name = RegisterPicture(Source, TPdfImageCache::TSource::OwnPixels, Bitmap.Width(),
                                             Bitmap.Height(), {}, &Bitmap.Pixels());
    Page().PlaceImage(name, X1, Y1, X2, Y2);
}

void TRvRenderPDF::PrintBitmap(TBitmap& Bitmap, double X, double Y, double ScaleX, double ScaleY) {
    if (Bitmap.Pixels().Empty()) return;
    const double w = Bitmap.Width() / 72.0 * ScaleX, h = Bitmap.Height() / 72.0 * ScaleY;
    const std::string name = RegisterPicture(&Bitmap, TPdfImageCache::TSource::OwnPixels, Bitmap.Width(),
                                             Bitmap.Height(), {}, &Bitmap.Pixels());
    Page().PlaceImage(name, X, Y, X + w, Y + h);
}

void TRvRenderPDF::PrintImageData(TStream& Data, const std::string& ImageType, double X1, double Y1, double X2,
                                  double Y2) {
    if (!OnDecodeImage) return;
    TBitmap bitmap;
    Data.SetPosition(0);
    OnDecodeImage(*this, Data, ImageType, bitmap);
    // The handler's pixels need not match any file bytes: never looked up.
    PlaceBitmap(bitmap, nullptr, X1, Y1, X2, Y2);
}

}  // namespace tal
