#include "front/qt/QtPictures.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace tal::front::qt {

QPixmap BannerPicture(const TEngineProfile& profile, int width, int height) {
    QPixmap banner(width, height);
    QPainter p(&banner);
    p.setRenderHint(QPainter::Antialiasing);
    const bool pdf = profile.Kind == TEngineKind::Pdf;
    QLinearGradient sky(0, 0, width, height);
    sky.setColorAt(0, pdf ? QColor(120, 20, 20) : QColor(20, 50, 120));
    sky.setColorAt(1, pdf ? QColor(230, 120, 60) : QColor(90, 160, 220));
    p.fillRect(banner.rect(), sky);
    // A tallow candle: the body, then its flame.
    const int cx = height / 2 + 8;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 240, 210));
    p.drawRoundedRect(QRectF(cx - 7, height * 0.45, 14, height * 0.5), 3, 3);
    QPainterPath flame;
    flame.moveTo(cx, height * 0.12);
    flame.cubicTo(cx + 9, height * 0.3, cx + 5, height * 0.42, cx, height * 0.42);
    flame.cubicTo(cx - 5, height * 0.42, cx - 9, height * 0.3, cx, height * 0.12);
    p.setBrush(QColor(255, 210, 60));
    p.drawPath(flame);
    QFont title("Serif", height / 3, QFont::Bold);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRect(cx + 24, 0, width - cx - 24, height), Qt::AlignVCenter | Qt::AlignLeft,
               pdf ? QStringLiteral("Tallow  PDF") : QStringLiteral("Tallow  RTF"));
    return banner;
}

namespace {

constexpr int GlyphSize = 24;

void DrawPage(QPainter& p, QColor fold) {
    p.setPen(QPen(Qt::black, 1.2));
    p.setBrush(Qt::white);
    QPolygonF page {{5, 2}, {15, 2}, {20, 7}, {20, 22}, {5, 22}};
    p.drawPolygon(page);
    p.setBrush(fold);
    p.drawPolygon(QPolygonF {{15, 2}, {15, 7}, {20, 7}});
}

void DrawGlyph(QPainter& p, TGlyph glyph) {
    switch (glyph) {
        case TGlyph::Make:
            DrawPage(p, QColor(200, 40, 40));
            p.setPen(QPen(QColor(0, 120, 0), 2.5));
            p.drawLine(QPointF(9, 15), QPointF(16, 15));
            p.drawLine(QPointF(12.5, 11.5), QPointF(12.5, 18.5));
            break;
        case TGlyph::View:
            DrawPage(p, QColor(60, 90, 200));
            p.setPen(QPen(Qt::black, 2));
            p.setBrush(QColor(180, 220, 255));
            p.drawEllipse(QPointF(11, 13), 4, 4);
            p.drawLine(QPointF(14, 16), QPointF(19, 21));
            break;
        case TGlyph::ViewAll:
            p.setPen(QPen(QColor(120, 90, 0), 1.2));
            p.setBrush(QColor(240, 200, 80));
            p.drawRect(QRectF(2, 7, 20, 14));
            p.drawRect(QRectF(2, 4, 8, 3));
            break;
        case TGlyph::Close:
            p.setPen(QPen(Qt::black, 1.2));
            p.setBrush(QColor(150, 100, 60));
            p.drawRect(QRectF(4, 2, 11, 20));
            p.setPen(QPen(QColor(0, 100, 0), 2.5));
            p.drawLine(QPointF(12, 12), QPointF(22, 12));
            p.drawLine(QPointF(18, 8), QPointF(22, 12));
            p.drawLine(QPointF(18, 16), QPointF(22, 12));
            break;
        case TGlyph::Check:
            p.setPen(QPen(QColor(0, 140, 0), 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawPolyline(QPolygonF {{4, 13}, {10, 19}, {20, 5}});
            break;
        case TGlyph::Cross:
            p.setPen(QPen(QColor(200, 0, 0), 3.5, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(5, 5), QPointF(19, 19));
            p.drawLine(QPointF(19, 5), QPointF(5, 19));
            break;
    }
}

}  // namespace

namespace {

QLinearGradient IconGround(TEngineKind kind, double side) {
    const bool pdf = kind == TEngineKind::Pdf;
    QLinearGradient ground(0, 0, side, side);
    ground.setColorAt(0, pdf ? QColor(150, 25, 25) : QColor(25, 60, 140));
    ground.setColorAt(1, pdf ? QColor(230, 120, 60) : QColor(90, 160, 220));
    return ground;
}

// Title bars and panels show the icon at 16 to 24 pixels, where the page of
// the large icon reads as any document's and its ground melts into a
// coloured title bar: the small icon is the candle alone, large, on a ground
// with a dark edge.
void DrawSmallIcon(QPainter& p, TEngineKind kind) {
    p.scale(1 / 4.0, 1 / 4.0);  // from a 64 by 64 grid to the 16 by 16 one
    p.setPen(QPen(QColor(0, 0, 0, 170), 4));
    p.setBrush(IconGround(kind, 64));
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    p.setPen(QPen(QColor(90, 60, 20), 3));
    p.setBrush(QColor(250, 240, 210));
    p.drawRoundedRect(QRectF(21, 33, 22, 26), 4, 4);
    p.setPen(Qt::NoPen);
    QPainterPath flame;
    flame.moveTo(32, 5);
    flame.cubicTo(46, 18, 42, 31, 32, 31);
    flame.cubicTo(22, 31, 18, 18, 32, 5);
    p.setBrush(QColor(255, 215, 50));
    p.drawPath(flame);
    QPainterPath core;
    core.moveTo(32, 15);
    core.cubicTo(39, 22, 37, 29, 32, 29);
    core.cubicTo(27, 29, 25, 22, 32, 15);
    p.setBrush(QColor(245, 120, 20));
    p.drawPath(core);
}

}  // namespace

QImage EngineIconImage(TEngineKind kind, int size) {
    QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing);
    if (size <= 24) {
        p.scale(size / 16.0, size / 16.0);
        DrawSmallIcon(p, kind);
        p.end();
        return icon;
    }
    p.scale(size / 64.0, size / 64.0);  // drawn on a 64 by 64 grid
    const bool pdf = kind == TEngineKind::Pdf;
    p.setPen(Qt::NoPen);
    p.setBrush(IconGround(kind, 64));
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 10, 10);
    // The page, its corner folded.
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF {{24, 10}, {46, 10}, {54, 18}, {54, 54}, {24, 54}});
    p.setBrush(QColor(200, 200, 200));
    p.drawPolygon(QPolygonF {{46, 10}, {46, 18}, {54, 18}});
    p.setPen(QPen(pdf ? QColor(150, 25, 25) : QColor(25, 60, 140), 2.5));
    for (int y = 26; y <= 46; y += 6) p.drawLine(QPointF(30, y), QPointF(48, y));
    // The tallow candle before it.
    p.setPen(QPen(QColor(120, 90, 40), 1));
    p.setBrush(QColor(250, 240, 210));
    p.drawRoundedRect(QRectF(10, 30, 12, 28), 3, 3);
    QPainterPath flame;
    flame.moveTo(16, 8);
    flame.cubicTo(24, 18, 21, 27, 16, 27);
    flame.cubicTo(11, 27, 8, 18, 16, 8);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 200, 40));
    p.drawPath(flame);
    p.end();
    return icon;
}

QIcon EngineIcon(const TEngineProfile& profile) {
    QIcon drawn;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        drawn.addPixmap(QPixmap::fromImage(EngineIconImage(profile.Kind, size)));
    return QIcon::fromTheme(QString::fromStdString(profile.DesktopName), drawn);
}

QIcon Glyph(TGlyph glyph) {
    QPixmap picture(GlyphSize, GlyphSize);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    DrawGlyph(p, glyph);
    p.end();
    return QIcon(picture);
}

}  // namespace tal::front::qt
