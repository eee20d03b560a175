#include "platform/GraphicsObject.h"

#include "platform/Graphic.h"

namespace tal {

TBrush::TBrush() = default;
TBrush::~TBrush() = default;

void TBrush::SetBitmap(std::unique_ptr<TBitmap> bitmap) {
    FBitmap = std::move(bitmap);
    Changed();
}

}  // namespace tal
