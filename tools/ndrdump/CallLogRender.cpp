#include "tools/ndrdump/CallLogRender.h"

#include <algorithm>

#include "render/RpConverter.h"

namespace tal {

std::string TCallLogRender::Quote(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 32 || b >= 127 || c == '"' || c == '\\') out += Format("\\x%02X", {static_cast<unsigned>(b)});
        else out += c;
    }
    return out + "\"";
}

std::string TCallLogRender::Numbers(std::initializer_list<double> values) {
    std::string out;
    for (double v : values) {
        if (!out.empty()) out += ' ';
        out += FormatFixed(v, 4);
    }
    return out;
}

std::string TCallLogRender::GraphicText(const TGraphic& graphic) {
    static constexpr const char* kinds[] = {"?", "bitmap", "metafile", "icon"};
    return Format("%s %u bytes", {kinds[static_cast<int>(graphic.Kind()) & 3], graphic.Bytes().size()});
}

void TCallLogRender::Arc(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4) {
    Line("Arc " + Numbers({X1, Y1, X2, Y2, X3, Y3, X4, Y4}));
}
void TCallLogRender::Chord(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4) {
    Line("Chord " + Numbers({X1, Y1, X2, Y2, X3, Y3, X4, Y4}));
}
void TCallLogRender::Pie(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4) {
    Line("Pie " + Numbers({X1, Y1, X2, Y2, X3, Y3, X4, Y4}));
}
void TCallLogRender::Ellipse(double X1, double Y1, double X2, double Y2) {
    Line("Ellipse " + Numbers({X1, Y1, X2, Y2}));
}
void TCallLogRender::Rectangle(double X1, double Y1, double X2, double Y2) {
    Line("Rectangle " + Numbers({X1, Y1, X2, Y2}));
}
void TCallLogRender::RoundRect(double X1, double Y1, double X2, double Y2, double X3, double Y3) {
    Line("RoundRect " + Numbers({X1, Y1, X2, Y2, X3, Y3}));
}
void TCallLogRender::FillRect(const TRect& R) {
    Line(Format("FillRect %d %d %d %d", {R.Left, R.Top, R.Right, R.Bottom}));
}
void TCallLogRender::LineTo(double X, double Y) { Line("LineTo " + Numbers({X, Y})); }
void TCallLogRender::MoveTo(double X, double Y) { Line("MoveTo " + Numbers({X, Y})); }

void TCallLogRender::Polyline(std::span<const TPoint> Points, std::int32_t HighIndex) {
    std::string text = Format("Polyline %d", {HighIndex});
    for (const TPoint& p : Points) text += Format(" (%d,%d)", {p.X, p.Y});
    Line(text);
}
void TCallLogRender::Polygon(std::span<const TPoint> Points, std::int32_t HighIndex) {
    std::string text = Format("Polygon %d", {HighIndex});
    for (const TPoint& p : Points) text += Format(" (%d,%d)", {p.X, p.Y});
    Line(text);
}

void TCallLogRender::PrintCenter(const std::string& Text, double X, double Y) {
    Line("PrintCenter " + Numbers({X, Y}) + " " + Quote(Text));
}
void TCallLogRender::PrintLeft(const std::string& Text, double X, double Y) {
    Line("PrintLeft " + Numbers({X, Y}) + " " + Quote(Text));
}
void TCallLogRender::PrintRight(const std::string& Text, double X, double Y) {
    Line("PrintRight " + Numbers({X, Y}) + " " + Quote(Text));
}
void TCallLogRender::PrintBlock(const std::string& Text, double X, double Y, double Width) {
    Line("PrintBlock " + Numbers({X, Y, Width}) + " " + Quote(Text));
}
void TCallLogRender::TextRect(const TRect& R, double X, double Y, const std::string& Text) {
    Line(Format("TextRect %d %d %d %d ", {R.Left, R.Top, R.Right, R.Bottom}) + Numbers({X, Y}) + " " + Quote(Text));
}

void TCallLogRender::FontChanged(TFont& F) {
    std::string styles;
    if (F.HasStyle(fsBold)) styles += 'B';
    if (F.HasStyle(fsItalic)) styles += 'I';
    if (F.HasStyle(fsUnderline)) styles += 'U';
    if (F.HasStyle(fsStrikeOut)) styles += 'K';
    const int rotation = FConverter ? FConverter->FRotation : 0;
    Line(Format("FontChanged %s %d pt style=%s color=%08X pitch=%d charset=%d rotation=%d",
                {Quote(F.Name()), F.Size(), styles.empty() ? "-" : styles.c_str(),
                 static_cast<std::uint32_t>(F.Color()), static_cast<int>(F.Pitch()), F.Charset(), rotation}));
}

void TCallLogRender::PenChanged(TGraphicsObject& Sender) {
    const auto& pen = static_cast<const TPen&>(Sender);
    Line(Format("PenChanged color=%08X mode=%d style=%d width=%d penwidth=%s",
                {static_cast<std::uint32_t>(pen.Color()), pen.Mode(), pen.Style(), pen.Width(),
                 FormatFixed(FPenWidth, 4)}));
}

void TCallLogRender::BrushChanged(TGraphicsObject& Sender) {
    const auto& brush = static_cast<const TBrush&>(Sender);
    std::string bitmap = brush.Bitmap() ? GraphicText(*brush.Bitmap()) : "none";
    Line(Format("BrushChanged color=%08X style=%d bitmap=%s",
                {static_cast<std::uint32_t>(brush.Color()), brush.Style(), bitmap}));
}

void TCallLogRender::PrintImageData(TStream& Data, const std::string& ImageType, double X1, double Y1, double X2,
                                    double Y2) {
    Line(Format("PrintImageData %s %d bytes ", {Quote(ImageType), Data.Size()}) + Numbers({X1, Y1, X2, Y2}));
}
void TCallLogRender::StretchBitmap(TBitmap& Bitmap, double X1, double Y1, double X2, double Y2) {
    Line("StretchBitmap " + GraphicText(Bitmap) + " " + Numbers({X1, Y1, X2, Y2}));
}
void TCallLogRender::PrintBitmap(TBitmap& Bitmap, double X, double Y, double ScaleX, double ScaleY) {
    Line("PrintBitmap " + GraphicText(Bitmap) + " " + Numbers({X, Y, ScaleX, ScaleY}));
}
void TCallLogRender::StretchDraw(const TRect& R, TGraphic& Graphic) {
    Line(Format("StretchDraw %d %d %d %d ", {R.Left, R.Top, R.Right, R.Bottom}) + GraphicText(Graphic));
}
void TCallLogRender::Draw(TGraphic& Graphic, double X, double Y) {
    Line("Draw " + GraphicText(Graphic) + " " + Numbers({X, Y}));
}

void TCallLogRender::BeginDocument() {
    const TNdrHeader& h = FConverter->FHeader;
    Line(Format("BeginDocument version=%d title=%s pages=%d first=%d last=%d offsets=%s,%s",
                {h.Version, Quote(h.Title), h.PageCount, h.FirstPage, h.LastPage, FormatFixed(h.LeftOffset(), 4),
                 FormatFixed(h.TopOffset(), 4)}));
    FKnownVariables.clear();
    if (ShowSilentCommands)
        FConverter->OnCommandDone = [this](std::uint8_t code, std::int64_t) { ShowSilentCommand(code); };
}
void TCallLogRender::EndDocument() { Line("EndDocument"); }

void TCallLogRender::ShowSilentCommand(std::uint8_t code) {
    const TRPConverter& c = *FConverter;
    switch (code) {
        case ndr::cmdMoveTo: Line("= MoveTo " + Numbers({c.FCursorX, c.FCursorY})); return;
        case ndr::cmdFrameMode: Line(Format("= FrameMode %d", {FFrameMode})); return;
        case ndr::cmdSetVariable:
            for (const auto& variable : c.FVariables) {
                const std::string& name = variable.first;
                const auto& value = variable.second;
                auto known = std::find_if(FKnownVariables.begin(), FKnownVariables.end(),
                                          [&name](const auto& entry) { return entry.first == name; });
                if (known == FKnownVariables.end()) known = FKnownVariables.insert(known, {name, ""});
                else if (known->second == value->FStoredText) continue;
                known->second = value->FStoredText;
                Line("= SetVariable " + Quote(name) + " " + Quote(value->FStoredText));
            }
            return;
        case ndr::cmdIgnored2: case ndr::cmdIgnored4: case ndr::cmdIgnored6: case ndr::cmdIgnored9:
        case ndr::cmdIgnored10: case ndr::cmdIgnored26: case ndr::cmdIgnored27: case ndr::cmdIgnored28:
        case ndr::cmdIgnored29: case ndr::cmdIgnoredText30: case ndr::cmdIgnored31: case ndr::cmdIgnored34:
        case ndr::cmdIgnored83: case ndr::cmdIgnored84: case ndr::cmdIgnored85: case ndr::cmdIgnored86:
        case ndr::cmdIgnored87: case ndr::cmdIgnoredText88:
            Line(Format("= skipped command %d", {code}));
            return;
        default: return;
    }
}

void TCallLogRender::BeginPage() {
    const TRPConverter& c = *FConverter;
    Line(Format("BeginPage %d at=%d prev=%d next=%d size=%sx%s",
                {c.FCurrentPageNo, c.FPageOffset, c.FPrevPageOffset, c.FNextPageOffset, FormatFixed(FPageWidth, 4),
                 FormatFixed(FPageHeight, 4)}));
}
void TCallLogRender::EndPage() { Line("EndPage"); }

}  // namespace tal
