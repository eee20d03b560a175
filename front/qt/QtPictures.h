#pragma once
// The engines' pictures: the banner across the top of the main dialog, the
// button glyphs and the engine's icon, drawn at start-up rather than loaded
// from files.
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>

#include "front/EngineProfile.h"

namespace tal::front::qt {

enum class TGlyph { Make, View, ViewAll, Close, Check, Cross };

QPixmap BannerPicture(const TEngineProfile& profile, int width, int height);
QIcon Glyph(TGlyph glyph);

// The engine's icon, a candle before a page on the engine's colour, as a
// square picture of size pixels. Drawn without fonts, so that it needs no
// application object (the build draws the installed icon files with it).
QImage EngineIconImage(TEngineKind kind, int size);
// The window icon: the installed icon of the desktop's theme when there is
// one (profile.DesktopName), the drawn one otherwise.
QIcon EngineIcon(const TEngineProfile& profile);

}  // namespace tal::front::qt
