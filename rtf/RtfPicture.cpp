// Pictures: each is recorded anew into a metafile stretched over its box and
// embedded in a picture inside a borderless text box anchored to the page.
#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "platform/Exception.h"
#include "platform/pictures/StretchLayers.h"
#include "platform/pictures/StretchedEmf.h"
#include "platform/pictures/StretchedWmf.h"
#include "render/RpConverter.h"
#include "rtf/RpRenderRTF.h"
#include "rtf/RtfSyntax.h"

namespace tal {

namespace {

// Reference pixels per inch of the metafile frame: the frame of a picture in
// a W by H inch box is round(W * 102) by round(H * 102) of them.
constexpr double FramePixelsPerInch = 102.0;
// Where a metafile of the other kind has to be drawn into pixels, and the
// most pixels a bitmap keeps.
constexpr double RasterPixelsPerInch = TRvRenderRTF::PicturePixelsPerInch;

int FramePixels(double inches) {
    const std::int32_t pixels = RoundToInt32(inches * FramePixelsPerInch);
    return pixels < 0 ? 0 : pixels;
}

// A bitmap needs no more pixels a side than its box shows at the raster
// resolution; at least one.
int BitmapPixels(double inches) {
    const double pixels = std::ceil(inches * RasterPixelsPerInch);
    if (!(pixels < std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    return pixels < 1 ? 1 : static_cast<int>(pixels);
}

}  // namespace

void TRvRenderRTF::StretchBitmap(TBitmap& Bitmap, double X1, double Y1, double X2, double Y2) {
    PlacePicture(Bitmap, X1, Y1, X2, Y2);
}

void TRvRenderRTF::StretchDraw(const TRect& Rect, TGraphic& Graphic) {
    PlacePicture(Graphic, Rect.Left / 72.0, Rect.Top / 72.0, Rect.Right / 72.0, Rect.Bottom / 72.0);
}

void TRvRenderRTF::PlacePicture(const TGraphic& Graphic, double X1, double Y1, double X2, double Y2) {
    // The metafile is made before any byte of the object is written, so a
    // picture that cannot be recorded leaves no open group in the document.
    const TSavedPicture picture = MakePicture(Graphic, std::abs(X1 - X2), std::abs(Y1 - Y2));
    // The object's keywords take well under 1 KB; hexadecimal data two
    // digits a byte and a line end every 32 bytes.
    const auto data = static_cast<std::int64_t>(picture.Bytes.size());
    CheckBodyRoom(1024 + (ImageEncoding == TImageEncoding::ieHex ? 2 * data + data / 16 : data));
    BeginPictureObject();
    WritePictureType();
    WritePicture(picture);
    WriteRTF("}\\par}}");
    WriteRTFLine("");
    WriteObjectBox(X1, Y1, X2, Y2);
    EndPictureObject();
}

void TRvRenderRTF::BeginPictureObject() {
    WriteRTFLine("");
    WriteRTFLine("");
    WriteRTFLine("{\\*\\do\\dobxpage\\dobypage" + DrawObjectOrder() + "\\dptxbx\\dptxlrtb");
    WriteRTF("{\\dptxbxtext\\pard\\plain \\ql ");
    WriteRTF("\\li0\\ri0\\widctlpar\\aspalpha\\aspnum\\faauto\\adjustright");
    WriteRTF("\\rin0\\lin0\\itap0 ");
    WriteRTF("\\fs24\\lang1033\\langfe1033\\cgrid\\langnp1033\\langfenp1033");
    WriteRTFLine("{");
    WriteRTF("{\\pict ");
}

void TRvRenderRTF::WritePictureType() {
    WriteRTF(ImageOutput == TImageOutput::ioSmallerSize ? "\\emfblip" : "\\wmetafile8");
}

TRvRenderRTF::TSavedPicture TRvRenderRTF::MakePicture(const TGraphic& Graphic, double Width, double Height) const {
    TSavedPicture picture;
    picture.Width = Width;
    picture.Height = Height;
    const int width = FramePixels(Width), height = FramePixels(Height);
    const double rasterScale = RasterPixelsPerInch / FramePixelsPerInch;
    const pictures::TBitmapLimit limit{BitmapPixels(Width), BitmapPixels(Height)};
    CheckRasterRoom(Graphic, width, height, rasterScale);
    if (ImageOutput == TImageOutput::ioSmallerSize) {
        picture.Bytes = pictures::RecordStretchedEmf(Graphic, width, height, rasterScale, limit);
        picture.StartOffset = 0;
    } else {
        picture.Bytes = pictures::RecordStretchedWmf(Graphic, width, height, rasterScale, limit);
        // The placeable header stays out: the picture starts with the metafile header.
        picture.StartOffset = pictures::PlaceableHeaderSize;
    }
    picture.WidthHiMetric = pictures::ReferencePixelsToHiMetric(width);
    picture.HeightHiMetric = pictures::ReferencePixelsToHiMetric(height);
    return picture;
}

void TRvRenderRTF::WritePicture(const TSavedPicture& Picture) {
    if (ImageEncoding == TImageEncoding::ieHex) WriteHexPicture(Picture);
    else WriteBinaryPicture(Picture);
}

void TRvRenderRTF::WritePictureSize(const TSavedPicture& Picture) {
    std::string out = rtf::Keyword("\\picw", Picture.WidthHiMetric);
    out += rtf::Keyword("\\pich", Picture.HeightHiMetric);
    // The picture fills its box.
    out += rtf::Keyword("\\picwgoal", rtf::Twips(Picture.Width));
    out += rtf::Keyword("\\pichgoal", rtf::Twips(Picture.Height));
    WriteRTF(out);
}

void TRvRenderRTF::WriteHexPicture(const TSavedPicture& Picture) {
    WritePictureSize(Picture);
    WriteRTF(" ");
    if (Picture.Bytes.size() <= Picture.StartOffset) return;
    // A few lines at a time: a large picture is not held a second time as text.
    constexpr std::size_t Chunk = 32 * 2048;  // whole lines of 32 bytes
    for (std::size_t at = Picture.StartOffset; at < Picture.Bytes.size(); at += Chunk)
        WriteRTF(rtf::HexLines(Picture.Bytes.data() + at, std::min(Chunk, Picture.Bytes.size() - at)));
}

void TRvRenderRTF::WriteBinaryPicture(const TSavedPicture& Picture) {
    WritePictureSize(Picture);
    const std::size_t start = Picture.Bytes.size() < Picture.StartOffset ? Picture.Bytes.size() : Picture.StartOffset;
    const std::size_t count = Picture.Bytes.size() - start;
    WriteRTF(rtf::Keyword("\\bin", static_cast<std::int64_t>(count)) + " ");
    WriteRTF(std::string_view(reinterpret_cast<const char*>(Picture.Bytes.data()) + start, count));
}

void TRvRenderRTF::CheckRasterRoom(const TGraphic& Graphic, int Width, int Height, double RasterScale) const {
    // A metafile of the other kind is drawn into pixels; when its pixels
    // alone pass the body's room it is refused before it is drawn.
    const auto* metafile = dynamic_cast<const TMetafile*>(&Graphic);
    if (!metafile || metafile->Empty() || metafile->Enhanced() == (ImageOutput == TImageOutput::ioSmallerSize)) return;
    int rasterWidth = 0, rasterHeight = 0;
    pictures::RasterSize(Width, Height, RasterScale, rasterWidth, rasterHeight);
    const std::int64_t pixels = (std::int64_t{rasterWidth} * 3 + 3) / 4 * 4 * rasterHeight;
    CheckBodyRoom(ImageEncoding == TImageEncoding::ieHex ? 2 * pixels : pixels);
}

void TRvRenderRTF::CheckBodyRoom(std::int64_t bytes) const {
    const std::int64_t used = FBodyBuffer ? FBodyBuffer->Size() : 0;
    if (bytes > BodyLimit - used)
        throw EOutOfResources("The RTF document would be larger than " + std::to_string(BodyLimit) +
                              " bytes, the limit for one document; its pictures make it too large");
}

void TRvRenderRTF::EndPictureObject() {
    WriteRTF("\\dplinehollow\\dplinecor0\\dplinecog0\\dplinecob0\\dplinew1");
    WriteRTF("\\dpfillfgcr255\\dpfillfgcg255\\dpfillfgcb255");
    WriteRTF("\\dpfillbgcr255\\dpfillbgcg255\\dpfillbgcb255\\dpfillpat0");
    WriteRTF("}");
}

}  // namespace tal
