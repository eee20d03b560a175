#include "tools/hostile/HostileReports.h"

#include "platform/pictures/Dib.h"
#include "platform/pictures/MetafileWriter.h"
#include "tools/ndrwriter/NdrWriter.h"

namespace tal::hostile {

using pictures::TRecordData;
using pictures::TWmf;
using pictures::TWmfWriter;

namespace {

TRecordData RleInfo(int width, int height, std::uint32_t color) {
    TRecordData d;
    d.U32(pictures::BitmapInfoHeaderSize).I32(width).I32(height).U16(1).U16(8);
    d.U32(pictures::BI_RLE8).U32(2).I32(3780).I32(3780).U32(1).U32(0);
    d.U32(color);  // RGBQUAD: blue, green, red, 0 from 0x00RRGGBB
    d.U8(0).U8(1);  // end of bitmap: nothing else is stored
    return d;
}

std::int16_t Word(int v) { return static_cast<std::int16_t>(v); }

// Placeable, 1000 x 1000 logical units at 1000 per inch (one inch square).
constexpr int Units = 1000;

void BeginMetafile(TWmfWriter& w, std::uint16_t objects) {
    w.SetObjectCount(objects);
    w.Add(TWmf::SetWindowOrg, {0, 0});
    w.Add(TWmf::SetWindowExt, {Word(Units), Word(Units)});
}

TBytes FinishMetafile(const TWmfWriter& w) { return w.Finish(true, {0, 0, Units, Units}, Units); }

TBytes StretchDrawReport(const TBytes& metafile, float boxInches) {
    ndrwriter::TNdrWriter ndr;
    ndr.BeginPage(1, 8.5f, 11.0f);
    ndr.StretchDraw({2, metafile, false}, 0.5f, 0.5f, 0.5f + boxInches, 0.5f + boxInches);
    ndr.EndPage();
    return ndr.Finish();
}

}  // namespace

TBytes RlePackedDib(int width, int height, std::uint32_t color) { return RleInfo(width, height, color).Data(); }

TBytes RleBitmap(int width, int height, std::uint32_t color) {
    const TBytes dib = RlePackedDib(width, height, color);
    const std::uint32_t pixelsAt = 14 + pictures::BitmapInfoHeaderSize + 4;
    TRecordData file;
    file.U8('B').U8('M').U32(static_cast<std::uint32_t>(14 + dib.size())).U32(0).U32(pixelsAt);
    file.Bytes(dib);
    return file.Data();
}

TBytes SharedBitmapReport(int side, int uses) {
    const ndrwriter::TGraphicData bitmap{1, RleBitmap(side, side), true, true};
    ndrwriter::TNdrWriter ndr;
    ndr.BeginPage(1, 8.5f, 11.0f);
    for (int i = 0; i < uses; ++i) {
        const float at = 0.25f * static_cast<float>(i % 8);
        switch (i % 3) {
            case 0: ndr.PrintBitmap(bitmap, at, at, 0.01f, 0.01f); break;
            case 1: ndr.StretchBitmap(bitmap, at, at, at + 1, at + 1); break;
            default: ndr.Draw(bitmap, at, at); break;
        }
    }
    ndr.EndPage();
    return ndr.Finish();
}

TBytes PatternBrushMetafile(int side, int brushes) {
    TWmfWriter w;
    BeginMetafile(w, static_cast<std::uint16_t>(brushes));
    // Every brush stays alive to the end, each in its own slot.
    for (int i = 0; i < brushes; ++i) {
        TRecordData brush;
        brush.U16(5).U16(pictures::DIB_RGB_COLORS).Bytes(RlePackedDib(side, side, 0x102030u * (i + 1)));
        w.Add(TWmf::DIBCreatePatternBrush, brush);
        w.Add(TWmf::SelectObject, {Word(i)});
        w.Add(TWmf::PatBlt, {0x0021, 0x00F0, Word(Units), Word(Units), 0, 0});  // PATCOPY over the frame
    }
    return FinishMetafile(w);
}

TBytes PatternBrushReport(int side, int brushes, float boxInches) {
    return StretchDrawReport(PatternBrushMetafile(side, brushes), boxInches);
}

TBytes BlitMetafile(int side, int stretches, int patBlts) {
    TWmfWriter w;
    BeginMetafile(w, 1);
    const TBytes dib = RlePackedDib(side, side);
    for (int i = 0; i < stretches; ++i) {
        TRecordData p;
        p.U32(0x00CC0020).U16(pictures::DIB_RGB_COLORS);  // SRCCOPY
        p.I16(Word(side)).I16(Word(side)).I16(0).I16(0);      // source height, width, y, x
        p.I16(Word(Units)).I16(Word(Units)).I16(0).I16(0);    // destination
        p.Bytes(dib);
        w.Add(TWmf::StretchDIB, p);
    }
    w.Add(TWmf::CreateBrushIndirect, TRecordData().U16(pictures::BS_HATCHED).U32(0x0000FF).U16(pictures::HS_CROSS));
    w.Add(TWmf::SelectObject, {0});
    for (int i = 0; i < patBlts; ++i)
        w.Add(TWmf::PatBlt, {0x0049, 0x005A, Word(Units), Word(Units), 0, 0});  // PATINVERT over the frame
    return FinishMetafile(w);
}

TBytes BlitReport(int side, int stretches, int patBlts, float boxInches) {
    return StretchDrawReport(BlitMetafile(side, stretches, patBlts), boxInches);
}

TBytes BitmapInSmallBoxReport(int side, int uses, float boxInches) {
    const ndrwriter::TGraphicData bitmap{1, RleBitmap(side, side), false};
    ndrwriter::TNdrWriter ndr;
    ndr.BeginPage(1, 8.5f, 11.0f);
    for (int i = 0; i < uses; ++i) ndr.StretchBitmap(bitmap, 1, 1, 1 + boxInches, 1 + boxInches);
    ndr.EndPage();
    return ndr.Finish();
}

TBytes DashedLineReport(float inches) {
    ndrwriter::TNdrWriter ndr;
    ndr.BeginPage(1, 8.5f, 11.0f);
    ndr.SetPen(0x000000, 4, 1, 0.02f);  // black, copy, dashed
    ndr.MoveTo(1, 1);
    ndr.LineTo(1 + inches, 1);
    ndr.EndPage();
    return ndr.Finish();
}

}  // namespace tal::hostile
