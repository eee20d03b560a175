#pragma once
// The engines' pictures: the banner across the top of the main dialog and
// the button glyphs, drawn at start-up rather than loaded from files.
#include <QIcon>
#include <QPixmap>
#include <QString>

#include "front/EngineProfile.h"

namespace tal::front::qt {

enum class TGlyph { Make, View, ViewAll, Close, Check, Cross };

QPixmap BannerPicture(const TEngineProfile& profile, int width, int height);
QIcon Glyph(TGlyph glyph);

}  // namespace tal::front::qt
