// The page commands of a report file: each reads its operands and changes
// the drawing state or calls the renderer.
#include <vector>

#include "render/RpConverter.h"
#include "render/RpRender.h"

namespace tal {

namespace {

constexpr double PointsPerInchOfPolygon = 1248.0;

// Commands whose operands are read and dropped, by the shape of those operands.
enum class TIgnored { None, RectRectInt, RectIntRect, Rect, TwoFloatsTwoInts, Byte, Int, Float, Text, ThreeFloats, Nothing };

TIgnored IgnoredShape(std::uint8_t code) {
    switch (code) {
        case ndr::cmdIgnored2: return TIgnored::RectRectInt;
        case ndr::cmdIgnored4: return TIgnored::RectIntRect;
        case ndr::cmdIgnored6:
        case ndr::cmdIgnored10: return TIgnored::Rect;
        case ndr::cmdIgnored9: return TIgnored::TwoFloatsTwoInts;
        case ndr::cmdIgnored26:
        case ndr::cmdIgnored34:
        case ndr::cmdIgnored87: return TIgnored::Byte;
        case ndr::cmdIgnored27:
        case ndr::cmdIgnored31: return TIgnored::Int;
        case ndr::cmdIgnored28:
        case ndr::cmdIgnored29: return TIgnored::Float;
        case ndr::cmdIgnoredText30:
        case ndr::cmdIgnoredText88: return TIgnored::Text;
        case ndr::cmdIgnored83: return TIgnored::ThreeFloats;
        case ndr::cmdIgnored84:
        case ndr::cmdIgnored85:
        case ndr::cmdIgnored86: return TIgnored::Nothing;
        default: return TIgnored::None;
    }
}

}  // namespace

std::int32_t TRPConverter::ToDevicePoint(double inches) const {
    return RoundToInt32(inches * PointsPerInchOfPolygon);
}

void TRPConverter::ReadPoints(std::uint8_t code) {
    const std::int16_t highIndex = ReadInt16();
    if (highIndex < -1) RaiseReportError("Unexpected point count [%d] found in report file.", static_cast<std::uint16_t>(highIndex));
    const std::size_t count = static_cast<std::size_t>(highIndex + 1);
    CheckedLength(static_cast<std::int64_t>(count) * 8);
    std::vector<TPoint> points(count);
    for (std::size_t i = 0; i < count; ++i) {
        const double x = ReadFloat(), y = ReadFloat();
        if (i == 0) FRenderTarget->MoveTo(x, y);
        points[i] = TPoint {ToDevicePoint(x), ToDevicePoint(y)};
    }
    if (code == ndr::cmdPolygon) FRenderTarget->Polygon(points, highIndex);
    else FRenderTarget->Polyline(points, highIndex);
}

void TRPConverter::PerformCommand(std::uint8_t code) {
    TRPRender& r = *FRenderTarget;
    switch (code) {
        case ndr::cmdArc:
        case ndr::cmdChord:
        case ndr::cmdPie: {
            double v[8];
            for (double& value : v) value = ReadFloat();
            if (code == ndr::cmdArc) r.Arc(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
            else if (code == ndr::cmdChord) r.Chord(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
            else r.Pie(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
            return;
        }
        case ndr::cmdEllipse:
        case ndr::cmdRectangle:
        case ndr::cmdRectangle2: {
            const double x1 = ReadFloat(), y1 = ReadFloat(), x2 = ReadFloat(), y2 = ReadFloat();
            if (code == ndr::cmdEllipse) r.Ellipse(x1, y1, x2, y2);
            else r.Rectangle(x1, y1, x2, y2);
            return;
        }
        case ndr::cmdRoundRect: {
            double v[6];
            for (double& value : v) value = ReadFloat();
            r.RoundRect(v[0], v[1], v[2], v[3], v[4], v[5]);
            return;
        }
        case ndr::cmdFillRect: r.FillRect(ReadRect()); return;
        case ndr::cmdLineTo: {
            const double x = ReadFloat(), y = ReadFloat();
            r.MoveTo(FCursorX, FCursorY);
            r.LineTo(x, y);
            FCursorX = x;
            FCursorY = y;
            return;
        }
        case ndr::cmdMoveTo:
            FCursorX = ReadFloat();
            FCursorY = ReadFloat();
            return;
        case ndr::cmdPolygon:
        case ndr::cmdPolyline: ReadPoints(code); return;
        case ndr::cmdDraw: {
            auto graphic = CreateGraphic();
            const double x = ReadFloat(), y = ReadFloat();
            r.Draw(*graphic, x, y);
            return;
        }
        case ndr::cmdPrintBitmap:
        case ndr::cmdStretchBitmap: {
            auto graphic = CreateGraphic();
            double v[4];
            for (double& value : v) value = ReadFloat();
            auto* bitmap = dynamic_cast<TBitmap*>(graphic.get());
            if (!bitmap) throw EInvalidCast();
            if (code == ndr::cmdPrintBitmap) r.PrintBitmap(*bitmap, v[0], v[1], v[2], v[3]);
            else r.StretchBitmap(*bitmap, v[0], v[1], v[2], v[3]);
            return;
        }
        case ndr::cmdStretchDraw: {
            auto graphic = CreateGraphic();
            const TRect rect = ReadRect();
            r.StretchDraw(rect, *graphic);
            return;
        }
        case ndr::cmdTextRect: {
            const TRect rect = ReadRect();
            const double x = ReadFloat(), y = ReadFloat();
            r.TextRect(rect, x, y, ReadText());
            return;
        }
        case ndr::cmdPrintCenter:
        case ndr::cmdPrintLeft:
        case ndr::cmdPrintRight: {
            const double y = ReadFloat();
            const std::string text = ReadText();
            const double x = ReadFloat();
            if (text.empty()) return;
            const char justify = code == ndr::cmdPrintCenter ? 'C' : code == ndr::cmdPrintLeft ? 'L' : 'R';
            if (text.find('\x01') != std::string::npos) PrintFormatted(text, justify, x, y);
            else if (justify == 'C') r.PrintCenter(text, x, y);
            else if (justify == 'L') r.PrintLeft(text, x, y);
            else r.PrintRight(text, x, y);
            return;
        }
        case ndr::cmdPrintBlock:
        case ndr::cmdPrintBlock2: {
            const double y = ReadFloat();
            const std::string text = ReadText();
            const double x = ReadFloat(), width = ReadFloat();
            if (text.empty()) return;
            if (text.find('\x01') != std::string::npos) PrintFormattedBlock(text, x, y, width);
            else r.PrintBlock(text, x, y, width);
            return;
        }
        case ndr::cmdPrintImageData: {
            const std::size_t size = CheckedLength(ReadInt32());
            std::vector<std::uint8_t> bytes(size);
            ReadBytes(bytes.data(), size);
            TMemoryStream data(std::move(bytes));
            const std::string imageType = ReadText();
            double v[4];
            for (double& value : v) value = ReadFloat();
            r.PrintImageData(data, imageType, v[0], v[1], v[2], v[3]);
            return;
        }
        case ndr::cmdFrameMode: r.FFrameMode = ReadByte(); return;
        case ndr::cmdSetVariable: {
            const std::string name = ReadText();
            SetVariable(name, ReadVarValue());
            return;
        }
        case ndr::cmdSetBrush: {
            Brush.SetColor(ReadInt32());
            Brush.SetStyle(ReadByte());
            if (ReadByte() != 0) ReadBrushBitmap();
            return;
        }
        case ndr::cmdBrushColor: {
            if (Brush.Bitmap()) Brush.SetBitmap(nullptr);
            Brush.SetColor(ReadInt32());
            return;
        }
        case ndr::cmdBrushStyle: Brush.SetStyle(ReadByte()); return;
        case ndr::cmdBrushBitmap:
            if (ReadByte() != 0) ReadBrushBitmap();
            return;
        case ndr::cmdSetFont: {
            Font.SetName(ReadText());
            Font.SetColor(ReadInt32());
            Font.SetPitch(static_cast<TFontPitch>(ReadByte()));
            Font.SetCharset(FFileVersion >= ndr::VersionCharset ? ReadByte() : DEFAULT_CHARSET);
            FFontSizeInches = ReadFloat();
            Font.SetSize(RoundToInt32(r.XDPI() * FFontSizeInches));
            if (ReadByte() != 0) Font.Include(fsBold);
            if (ReadByte() != 0) Font.Include(fsItalic);
            if (ReadByte() != 0) Font.Include(fsStrikeOut);
            ReadByte();
            // The rotation lives in the converter, after the font's own
            // notifications: tell the renderer once more, or a rotated font
            // record would print its first texts upright.
            FRotation = FFileVersion >= ndr::VersionPageSize ? ReadInt16() : 0;
            r.FontChanged(Font);
            return;
        }
        case ndr::cmdFontName: {
            std::string name = ReadText();
            if (name.size() > 60) name.resize(60);
            FFontName = name;
            Font.SetName(FFontName);
            return;
        }
        case ndr::cmdFontColor:
            FFontColor = ReadInt32();
            Font.SetColor(FFontColor);
            return;
        case ndr::cmdFontPitch:
            Font.SetPitch(static_cast<TFontPitch>(ReadByte()));
            r.FontChanged(Font);
            return;
        case ndr::cmdFontSize:
            FFontSizeInches = ReadFloat();
            if (FFileVersion >= ndr::VersionPageSize) FFontWidth = ReadFloat();
            Font.SetSize(RoundToInt32(FFontSizeInches * 72));
            FFontPoints = Font.Size();
            return;
        case ndr::cmdFontBold:
            FBold = ReadByte() != 0;
            Font.SetIncluded(fsBold, FBold);
            return;
        case ndr::cmdFontUnderline:
            FUnderline = ReadByte() != 0;
            Font.SetIncluded(fsUnderline, FUnderline);
            return;
        case ndr::cmdFontItalic:
            FItalic = ReadByte() != 0;
            Font.SetIncluded(fsItalic, FItalic);
            return;
        case ndr::cmdFontStrikeOut:
            FStrikeOut = ReadByte() != 0;
            Font.SetIncluded(fsStrikeOut, FStrikeOut);
            return;
        case ndr::cmdFontFlagP: FFlagP = ReadByte() != 0; r.FontChanged(Font); return;
        case ndr::cmdFontFlagS: FFlagS = ReadByte() != 0; r.FontChanged(Font); return;
        case ndr::cmdFontRotation: FRotation = ReadInt16(); r.FontChanged(Font); return;
        case ndr::cmdFontExtra1: FFontExtra1 = ReadByte(); r.FontChanged(Font); return;
        case ndr::cmdFontExtra2: FFontExtra2 = ReadByte(); r.FontChanged(Font); return;
        case ndr::cmdSetPen: {
            const TColor color = ReadInt32();
            const std::uint8_t mode = ReadByte();
            const std::uint8_t style = ReadByte();
            const int width = RoundToInt32(ReadFloat() / 10000);
            Pen.Assign(color, mode, style, width);
            return;
        }
        case ndr::cmdPenColor: Pen.SetColor(ReadInt32()); return;
        case ndr::cmdPenMode: Pen.SetMode(ReadByte()); return;
        case ndr::cmdPenStyle: Pen.SetStyle(ReadByte()); return;
        case ndr::cmdPenWidth:
            r.FPenWidth = ReadFloat();
            r.PenChanged(Pen);
            return;
        default: break;
    }
    switch (IgnoredShape(code)) {
        case TIgnored::RectRectInt: ReadRect(); ReadRect(); ReadInt32(); return;
        case TIgnored::RectIntRect: ReadRect(); ReadInt32(); ReadRect(); return;
        case TIgnored::Rect: ReadRect(); return;
        case TIgnored::TwoFloatsTwoInts: ReadFloat(); ReadFloat(); ReadInt32(); ReadInt32(); return;
        case TIgnored::Byte: ReadByte(); return;
        case TIgnored::Int: ReadInt32(); return;
        case TIgnored::Float: ReadFloat(); return;
        case TIgnored::Text: ReadText(); return;
        case TIgnored::ThreeFloats: ReadFloat(); ReadFloat(); ReadFloat(); return;
        case TIgnored::Nothing: return;
        case TIgnored::None: break;
    }
    RaiseReportError(SUnexpectedCode, code);
}

}  // namespace tal
