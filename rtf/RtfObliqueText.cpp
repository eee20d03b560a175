// Texts turned at an angle other than a quarter: a small Windows metafile
// that draws the text with its font turned, embedded as a picture object
// over the box the turned text covers. Readers draw metafile text turned as
// Windows does, and the picture stays where it is put in every reader.
#include <algorithm>
#include <cmath>

#include "platform/pictures/MetafileWriter.h"
#include "render/RpConverter.h"
#include "rtf/RpRenderRTF.h"
#include "rtf/RtfSyntax.h"

namespace tal {

namespace {

using pictures::TRecordData;
using pictures::TWmf;

constexpr std::size_t FaceNameBytes = 32;
constexpr double TwipsPerInch = 1440.0;

std::int16_t Word16(double value) {
    if (std::isnan(value)) return 0;
    return static_cast<std::int16_t>(std::clamp(std::nearbyint(value), -32768.0, 32767.0));
}

}  // namespace

std::vector<std::uint8_t> TRvRenderRTF::ObliqueTextMetafile(const std::string& Text, double OriginX, double OriginY,
                                                           double Width, double Height, double Unit,
                                                           int Rotation) {
    const TFont& font = Converter().Font;
    pictures::TWmfWriter wmf;
    // Logical units of Unit inches over the picture: its frame is the window.
    wmf.Add(TWmf::SetMapMode, {static_cast<std::int16_t>(pictures::MM_ANISOTROPIC)});
    wmf.Add(TWmf::SetWindowOrg, {0, 0});
    wmf.Add(TWmf::SetWindowExt, {Word16(Height / Unit), Word16(Width / Unit)});
    TRecordData logFont;
    logFont.I16(Word16(-static_cast<double>(font.Size()) / 72.0 / Unit))  // the em, not the cell
        .I16(0)
        .I16(static_cast<std::int16_t>(Rotation * 10))  // escapement, tenths of a degree counter-clockwise
        .I16(static_cast<std::int16_t>(Rotation * 10))
        .I16(font.HasStyle(fsBold) ? 700 : 400)
        .U8(font.HasStyle(fsItalic))
        .U8(font.HasStyle(fsUnderline))
        .U8(font.HasStyle(fsStrikeOut))
        .U8(font.Charset())
        .U8(0)
        .U8(0)
        .U8(0)
        .U8(0);
    std::string face = font.Name().substr(0, FaceNameBytes - 1);
    face.resize(FaceNameBytes, '\0');
    logFont.Bytes(face);
    wmf.Add(TWmf::CreateFontIndirect, logFont);
    wmf.Add(TWmf::SelectObject, {0});
    const TColor color = font.Color() < 0 ? 0 : font.Color();
    wmf.Add(TWmf::SetTextColor, {static_cast<std::int16_t>(color & 0xFFFF), static_cast<std::int16_t>((color >> 16) & 0xFF)});
    wmf.Add(TWmf::SetBkMode, {static_cast<std::int16_t>(pictures::TRANSPARENT)});
    wmf.Add(TWmf::SetTextAlign, {static_cast<std::int16_t>(pictures::TA_BASELINE)});
    const std::string shown = Text.substr(0, 32767);
    TRecordData textOut;
    textOut.I16(static_cast<std::int16_t>(shown.size())).Bytes(shown).Pad(2);
    textOut.I16(Word16(OriginY / Unit)).I16(Word16(OriginX / Unit));
    wmf.Add(TWmf::TextOut, textOut);
    wmf.Add(TWmf::DeleteObject, {0});
    wmf.SetObjectCount(1);
    const pictures::TIntRect box {0, 0, Word16(Width / Unit), Word16(Height / Unit)};
    return wmf.Finish(true, box, static_cast<std::uint16_t>(std::clamp(std::nearbyint(1.0 / Unit), 1.0, 32767.0)));
}

void TRvRenderRTF::ObliqueText(const std::string& Text, double X, double Y, double TextWidth, int Rotation) {
    const double h = Converter().Font.Size() / 72.0;
    const double a = Rotation * M_PI / 180.0;
    const double c = std::cos(a), s = std::sin(a);
    // The turned box of the text: along the baseline (u) with room to spare,
    // across it (v) from one size above to a quarter below; a reader's face
    // that runs wider is not cut off by the picture's frame.
    const double u[2] = {-h / 4, TextWidth * (1 + TextWidthSlack) + h / 4};
    const double v[2] = {-h * 1.1, h * 0.35};
    double left = X, top = Y, right = X, bottom = Y;
    for (const double du : u)
        for (const double dv : v) {
            const double px = X + du * c + dv * s, py = Y - du * s + dv * c;
            left = std::min(left, px);
            right = std::max(right, px);
            top = std::min(top, py);
            bottom = std::max(bottom, py);
        }
    const double width = right - left, height = bottom - top;
    if (!std::isfinite(width) || !std::isfinite(height)) return;
    // Twips, unless the picture is too large for 16-bit coordinates.
    const double unit = std::max(1.0 / TwipsPerInch, std::max(width, height) / 32000.0);
    TSavedPicture picture;
    picture.Bytes = ObliqueTextMetafile(Text, X - left, Y - top, width, height, unit, Rotation);
    picture.StartOffset = pictures::PlaceableHeaderSize;
    picture.WidthHiMetric = std::llround(width * 2540.0);
    picture.HeightHiMetric = std::llround(height * 2540.0);
    picture.Width = width;
    picture.Height = height;
    BeginPictureObject();
    WriteRTF("\\wmetafile8");  // a text is vector in either picture setting
    WritePicture(picture);
    WriteRTF("}\\par}}");
    WriteRTFLine("");
    WriteObjectBox(left, top, right, bottom);
    EndPictureObject();
}

}  // namespace tal
