// Pictures placed at a position rather than into a box: a bitmap scaled by
// factors, and a graphic at its own size. Both become the picture object of
// a stretched picture over the box they cover.
#include "render/RpConverter.h"
#include "rtf/RpRenderRTF.h"

namespace tal {

void TRvRenderRTF::PrintBitmap(TBitmap& Bitmap, double X, double Y, double ScaleX, double ScaleY) {
    Converter();
    // A pixel is a point at scale 1.
    const double width = Bitmap.Width() / 72.0 * ScaleX, height = Bitmap.Height() / 72.0 * ScaleY;
    if (!(width > 0) || !(height > 0)) return;
    PlacePicture(Bitmap, X, Y, X + width, Y + height);
}

void TRvRenderRTF::Draw(TGraphic& Graphic, double X, double Y) {
    Converter();
    const int width = Graphic.Width(), height = Graphic.Height();
    if (width <= 0 || height <= 0) return;
    PlacePicture(Graphic, X, Y, X + width / 72.0, Y + height / 72.0);
}

}  // namespace tal
