#pragma once
// Sample metafiles written with the platform's metafile writer, for the
// playback tests, the fuzz seeds and the benchmark.
#include <array>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "platform/pictures/MetafileWriter.h"

namespace tal::pictest {

using namespace tal::pictures;

// --- Windows metafiles: coordinates are 16-bit and many records store them last-first.

inline void WmfPen(TWmfWriter& w, std::uint16_t style, std::int16_t width, std::uint32_t color) {
    w.Add(TWmf::CreatePenIndirect, TRecordData().U16(style).I16(width).I16(0).U32(color));
}
inline void WmfBrush(TWmfWriter& w, std::uint16_t style, std::uint32_t color, std::uint16_t hatch = 0) {
    w.Add(TWmf::CreateBrushIndirect, TRecordData().U16(style).U32(color).U16(hatch));
}
inline void WmfFont(TWmfWriter& w, std::int16_t height, std::string_view face, std::int16_t escapement = 0,
                    std::int16_t weight = 400) {
    TRecordData d;
    d.I16(height).I16(0).I16(escapement).I16(escapement).I16(weight).U8(0).U8(0).U8(0).U8(0).U8(0).U8(0).U8(0).U8(0);
    std::string name(face);
    name.resize(32, '\0');
    d.Bytes(name);
    w.Add(TWmf::CreateFontIndirect, d);
}
inline void WmfRect(TWmfWriter& w, TWmf f, int l, int t, int r, int b) {
    w.Add(f, {std::int16_t(b), std::int16_t(r), std::int16_t(t), std::int16_t(l)});
}
inline void WmfPoints(TWmfWriter& w, TWmf f, std::initializer_list<std::pair<int, int>> points) {
    TRecordData d;
    d.U16(static_cast<std::uint16_t>(points.size()));
    for (auto [x, y] : points) d.I16(std::int16_t(x)).I16(std::int16_t(y));
    w.Add(f, d);
}
inline void WmfTextOut(TWmfWriter& w, int x, int y, std::string_view text) {
    TRecordData d;
    d.U16(static_cast<std::uint16_t>(text.size())).Bytes(text).Pad(2).I16(std::int16_t(y)).I16(std::int16_t(x));
    w.Add(TWmf::TextOut, d);
}

// Starts a Windows metafile of 100 x 100 logical units drawn without
// outlines: a null pen in slot 0, selected.
inline void BeginUnitSquareWmf(TWmfWriter& w, std::uint16_t objects) {
    w.SetObjectCount(objects);
    w.Add(TWmf::SetWindowOrg, {0, 0});
    w.Add(TWmf::SetWindowExt, {100, 100});
    WmfPen(w, PS_NULL, 0, 0);
    w.Add(TWmf::SelectObject, {0});
}

// A Windows metafile of 100 x 100 units at 96 per inch: red filled rectangle,
// blue ellipse with a thick green outline, a polyline, text.
inline std::vector<std::uint8_t> SampleWmf() {
    TWmfWriter w;
    w.SetObjectCount(4);
    w.Add(TWmf::SetWindowOrg, {0, 0});
    w.Add(TWmf::SetWindowExt, {100, 100});
    WmfPen(w, PS_NULL, 0, 0);
    WmfBrush(w, BS_SOLID, 0x0000FF);
    w.Add(TWmf::SelectObject, {0});
    w.Add(TWmf::SelectObject, {1});
    WmfRect(w, TWmf::Rectangle, 10, 10, 40, 40);
    w.Add(TWmf::DeleteObject, {1});
    WmfBrush(w, BS_SOLID, 0xFF0000);
    w.Add(TWmf::SelectObject, {1});
    w.Add(TWmf::DeleteObject, {0});
    WmfPen(w, PS_SOLID, 4, 0x00FF00);
    w.Add(TWmf::SelectObject, {0});
    WmfRect(w, TWmf::Ellipse, 50, 10, 90, 40);
    WmfPoints(w, TWmf::Polyline, {{10, 60}, {50, 90}, {90, 60}});
    WmfFont(w, -12, "Liberation Sans");
    w.Add(TWmf::SelectObject, {2});
    w.Add(TWmf::SetBkMode, {TRANSPARENT});
    WmfTextOut(w, 10, 45, "Tal");
    return w.Finish(true, {0, 0, 100, 100}, 96);
}

// --- Enhanced metafiles.

inline TRecordData RectL(int l, int t, int r, int b) { return TRecordData().I32(l).I32(t).I32(r).I32(b); }

inline void EmfPen(TEmfWriter& w, std::uint32_t index, std::uint32_t style, int width, std::uint32_t color) {
    w.Add(TEmr::CreatePen, TRecordData().U32(index).U32(style).I32(width).I32(0).U32(color));
}
inline void EmfBrush(TEmfWriter& w, std::uint32_t index, std::uint32_t style, std::uint32_t color,
                     std::uint32_t hatch = 0) {
    w.Add(TEmr::CreateBrushIndirect, TRecordData().U32(index).U32(style).U32(color).U32(hatch));
}
inline void EmfSelect(TEmfWriter& w, std::uint32_t index) { w.Add(TEmr::SelectObject, TRecordData().U32(index)); }
inline void EmfU32(TEmfWriter& w, TEmr type, std::uint32_t value) { w.Add(type, TRecordData().U32(value)); }
inline void EmfPair(TEmfWriter& w, TEmr type, int a, int b) { w.Add(type, TRecordData().I32(a).I32(b)); }
inline void EmfBox(TEmfWriter& w, TEmr type, int l, int t, int r, int b) { w.Add(type, RectL(l, t, r, b)); }
inline void EmfPoints(TEmfWriter& w, TEmr type, std::initializer_list<std::pair<int, int>> points, bool small = false) {
    TRecordData d = RectL(0, 0, 0, 0);
    d.U32(static_cast<std::uint32_t>(points.size()));
    for (auto [x, y] : points) small ? d.I16(std::int16_t(x)).I16(std::int16_t(y)) : d.I32(x).I32(y);
    w.Add(type, d);
}
inline void EmfXform(TEmfWriter& w, TEmr type, float m11, float m12, float m21, float m22, float dx, float dy,
                     std::uint32_t mode = 0) {
    TRecordData d;
    d.F32(m11).F32(m12).F32(m21).F32(m22).F32(dx).F32(dy);
    if (type == TEmr::ModifyWorldTransform) d.U32(mode);
    w.Add(type, d);
}
inline void EmfFont(TEmfWriter& w, std::uint32_t index, int height, std::u16string_view face) {
    TRecordData d;
    d.U32(index).I32(height).I32(0).I32(0).I32(0).I32(400).U8(0).U8(0).U8(0).U8(0).U8(0).U8(0).U8(0).U8(0);
    for (std::size_t i = 0; i < 32; ++i) d.U16(i < face.size() ? face[i] : 0);
    w.Add(TEmr::ExtCreateFontIndirectW, d);
}
inline void EmfTextW(TEmfWriter& w, int x, int y, std::u16string_view text, std::uint32_t options = 0,
                     TRecordData rect = RectL(0, 0, 0, 0)) {
    TRecordData d = RectL(0, 0, 0, 0);
    d.U32(1).F32(1).F32(1);                                  // graphics mode, scales
    const std::uint32_t offString = 8 + 68, offDx = offString + static_cast<std::uint32_t>((text.size() * 2 + 3) & ~3u);
    d.I32(x).I32(y).U32(static_cast<std::uint32_t>(text.size())).U32(offString).U32(options);
    d.Bytes(rect.Data()).U32(0);                              // no advances
    for (char16_t c : text) d.U16(c);
    d.Pad(4);
    (void)offDx;
    w.Add(TEmr::ExtTextOutW, d);
}

// Region data of enhanced metafiles: the header, bounds (0, 0, 100, 100) and the rectangles.
inline TRecordData EmfRegionData(std::initializer_list<std::array<int, 4>> rects) {
    TRecordData d;
    d.U32(32).U32(1).U32(static_cast<std::uint32_t>(rects.size())).U32(static_cast<std::uint32_t>(16 * rects.size()));
    d.Bytes(RectL(0, 0, 100, 100).Data());
    for (const auto& r : rects) d.Bytes(RectL(r[0], r[1], r[2], r[3]).Data());
    return d;
}

// A 100 x 100 device-pixel frame on a reference device of 100 pixels per inch.
inline std::vector<std::uint8_t> FinishEmf(const TEmfWriter& w, int size = 100) {
    return w.Finish({0, 0, size - 1, size - 1}, {0, 0, size * 254 / 10, size * 254 / 10}, 1000, 1000, 254, 254);
}

inline std::vector<std::uint8_t> SampleEmf() {
    TEmfWriter w;
    w.SetHandles(4);
    EmfPen(w, 1, PS_SOLID, 3, 0x000000);
    EmfBrush(w, 2, BS_HATCHED, 0x0000FF, HS_CROSS);
    EmfSelect(w, 1);
    EmfSelect(w, 2);
    EmfU32(w, TEmr::SetBkMode, TRANSPARENT);
    EmfBox(w, TEmr::Rectangle, 5, 5, 45, 45);
    EmfSelect(w, StockObjectFlag | GRAY_BRUSH);
    w.Add(TEmr::Pie, TRecordData().Bytes(RectL(50, 5, 95, 50).Data()).I32(95).I32(27).I32(72).I32(5));
    EmfPoints(w, TEmr::PolyBezier16, {{5, 95}, {30, 50}, {60, 100}, {95, 60}}, true);
    w.Add(TEmr::BeginPath, {});
    EmfPoints(w, TEmr::Polygon, {{50, 60}, {95, 60}, {72, 95}});
    w.Add(TEmr::EndPath, {});
    w.Add(TEmr::StrokeAndFillPath, RectL(0, 0, 0, 0));
    EmfFont(w, 3, -10, u"Liberation Serif");
    EmfSelect(w, 3);
    EmfTextW(w, 5, 50, u"EMF");
    return FinishEmf(w);
}

}  // namespace tal::pictest
