#include "platform/pictures/MetafilePlayer.h"

#include <cmath>
#include <string>

#include "platform/pictures/Cairo.h"
#include "platform/pictures/Dib.h"
#include "platform/pictures/MetafileCanvas.h"

namespace tal::pictures {

namespace {

// Object tables are indexed by 16-bit values in WMF and held to the same
// bound in EMF, so an absurd index never allocates.
constexpr std::size_t MaxObjects = 65536;

class TObjectTable {
public:
    explicit TObjectTable(std::size_t declared) : FSlots(std::min(declared, MaxObjects)) {}

    // Windows metafiles: the lowest free slot, as GDI hands them out.
    void AddLowest(TMetaObject object) {
        for (auto& slot : FSlots)
            if (std::holds_alternative<std::monostate>(slot)) {
                slot = std::move(object);
                return;
            }
        if (FSlots.size() < MaxObjects) FSlots.push_back(std::move(object));
    }
    // Enhanced metafiles name the slot; slot 0 stands for the file itself.
    void Put(std::size_t index, TMetaObject object) {
        if (index == 0 || index >= MaxObjects) return;
        if (index >= FSlots.size()) FSlots.resize(index + 1);
        FSlots[index] = std::move(object);
    }
    const TMetaObject* Get(std::size_t index) const { return index < FSlots.size() ? &FSlots[index] : nullptr; }
    void Remove(std::size_t index) {
        if (index < FSlots.size()) FSlots[index] = std::monostate{};
    }

private:
    std::vector<TMetaObject> FSlots;
};

// Selects a pen, brush, font or palette into the context; regions and empty
// slots select nothing.
void Select(TDeviceContext& dc, const TMetaObject& object) {
    if (const auto* pen = std::get_if<TPenObject>(&object)) dc.Pen = *pen;
    if (const auto* brush = std::get_if<TBrushObject>(&object)) dc.Brush = *brush;
    if (const auto* font = std::get_if<TFontObject>(&object)) dc.Font = *font;
    if (const auto* palette = std::get_if<TPaletteObject>(&object)) dc.Palette = palette->Colors;
}

std::uint32_t PaletteEntry(const TByteView& v, std::size_t at) {
    return (static_cast<std::uint32_t>(v.U8(at)) << 16) | (v.U8(at + 1) << 8) | v.U8(at + 2);
}

// A device-dependent bitmap as the drawing surface it is painted from.
struct TDecodedDib {
    TCairoSurface Pixels;
    bool TopDown = false;
};

// The pixels of a DIB decoded straight into an opaque drawing surface of its
// own size: no second copy of a large bitmap is made.
TCairoSurface DibSurface(const TDibInfo& info, const TByteView& bits) {
    if (info.Compression != BI_RLE8 && info.Compression != BI_RLE4) {
        // Refused before the surface is allocated.
        const std::size_t needed = info.Stride() * (static_cast<std::size_t>(info.Height) - 1) +
                                   (static_cast<std::size_t>(info.Width) * info.BitCount + 7) / 8;
        if (bits.Size() < needed) bits.Fail("pixel data truncated");
    }
    TCairoSurface surface = NewSurface(CAIRO_FORMAT_RGB24, info.Width, info.Height);
    cairo_surface_flush(surface.get());
    unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    DecodeDibPixels(info, bits, [&](int y, const std::uint32_t* row) {
        auto* out = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < info.Width; ++x) out[x] = 0xFF000000u | (row[x] & 0xFFFFFFu);
    });
    cairo_surface_mark_dirty(surface.get());
    return surface;
}

// A DIB a blit reads, not yet decoded: the canvas decodes what the blit
// needs of it.
struct TBlitDib {
    TDibInfo Info;
    TByteView Bits;

    // Source rows of bottom-up DIBs count from the bottom.
    TSourceRect FromBottom(double x, double y, double width, double height) const {
        return {x, Info.TopDown ? y : Info.Height - y - height, width, height};
    }
};

// A DIB carried in a record: header and colour table in one part, pixels in
// another. scans, when positive, limits the rows the pixels hold.
TBlitDib RecordDibParts(const TByteView& header, const TByteView& bits, std::uint32_t usage,
                        const std::vector<std::uint32_t>& palette, std::int64_t scans = -1) {
    TDibInfo info = ReadDibInfo(header, false, usage == DIB_PAL_COLORS ? &palette : nullptr);
    if (scans > 0 && scans < info.Height) info.Height = static_cast<int>(scans);
    return {std::move(info), bits};
}

// A pattern brush's tile: the DIB decoded once, at its own size, straight
// into the surface the brush repeats.
std::shared_ptr<cairo_surface_t> PatternTile(const TDibInfo& info, const TByteView& bits, TPictureBudget& budget) {
    budget.ChargePattern(info.Width, info.Height);
    return {DibSurface(info, bits).release(), cairo_surface_destroy};
}

// A picture that has spent its budget stops; any other failure of a record
// only skips that record.
template <typename Record>
void PlayRecord(Record record) {
    try {
        record();
    } catch (const EPictureBudget&) {
        throw;
    } catch (const Exception&) {
        // A malformed record is skipped; the next one is still drawn.
    }
}

// A device-dependent Bitmap16 of the old blit records: rows top-down at
// WidthBytes each; monochrome (0 black, 1 white) and 24-bit forms are drawn.
TDecodedDib DecodeBitmap16(const TByteView& v) {
    const std::int16_t width = v.I16(2), height = v.I16(4), widthBytes = v.I16(6);
    const std::uint8_t planes = v.U8(8), bitsPixel = v.U8(9);
    if (width <= 0 || height <= 0 || planes != 1 || (bitsPixel != 1 && bitsPixel != 24))
        v.Fail("unsupported device-dependent bitmap");
    if (widthBytes < (width * bitsPixel + 7) / 8) v.Fail("device-dependent bitmap rows shorter than its width");
    v.Require(10, static_cast<std::size_t>(widthBytes) * height, "the bitmap");
    TRaster pixels(width, height);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = v.Data() + 10 + static_cast<std::size_t>(y) * widthBytes;
        for (int x = 0; x < width; ++x) {
            if (bitsPixel == 1)
                pixels.SetPixel(x, y, ((row[x >> 3] >> (7 - (x & 7))) & 1) ? 0xFFFFFF : 0);
            else
                pixels.SetPixel(x, y, row[3 * x + 2] | (row[3 * x + 1] << 8) | (row[3 * x] << 16));
        }
    }
    return {SurfaceFromRaster(pixels), true};
}

// ---------------------------------------------------------------- WMF

class TWmfReader {
public:
    TWmfReader(const TByteView& bytes, const TMetafileInfo& info, TMetafileCanvas& canvas)
        : FBytes(bytes), FInfo(info), FCanvas(canvas), FObjects(info.ObjectCount) {}

    void Play() {
        TDeviceContext& dc = FCanvas.Dc();
        dc.WindowOrgX = FInfo.Box.Left;
        dc.WindowOrgY = FInfo.Box.Top;
        dc.WindowExtX = static_cast<double>(FInfo.Box.Right) - FInfo.Box.Left;
        dc.WindowExtY = static_cast<double>(FInfo.Box.Bottom) - FInfo.Box.Top;
        FCanvas.SetWindowIsDevice(true);
        std::size_t at = FInfo.RecordsAt;
        while (FBytes.Has(at, 6)) {
            const std::uint64_t size = std::uint64_t{FBytes.U32(at)} * 2;
            const std::uint16_t function = FBytes.U16(at + 4);
            if (size < 6 || size > FBytes.Size() - at || function == 0) break;
            PlayRecord([&] {
                Record(static_cast<TWmf>(function), FBytes.Sub(at + 6, static_cast<std::size_t>(size - 6), "a record"));
            });
            at += static_cast<std::size_t>(size);
        }
    }

private:
    static double W(const TByteView& p, std::size_t word) { return p.I16(2 * word); }

    std::vector<TPointD> Points(const TByteView& p, std::size_t at, std::size_t count) const {
        p.Require(at, count * 4, "the points");
        std::vector<TPointD> points(count);
        for (std::size_t i = 0; i < count; ++i) points[i] = {double(p.I16(at + 4 * i)), double(p.I16(at + 4 * i + 2))};
        return points;
    }

    void Record(TWmf function, const TByteView& p) {
        TDeviceContext& dc = FCanvas.Dc();
        switch (function) {
            case TWmf::SetWindowOrg: dc.WindowOrgX = W(p, 1); dc.WindowOrgY = W(p, 0); break;
            case TWmf::SetWindowExt: dc.WindowExtX = W(p, 1); dc.WindowExtY = W(p, 0); break;
            case TWmf::OffsetWindowOrg: dc.WindowOrgX += W(p, 1); dc.WindowOrgY += W(p, 0); break;
            case TWmf::ScaleWindowExt:
                if (W(p, 2) != 0 && W(p, 0) != 0) {
                    dc.WindowExtX = dc.WindowExtX * W(p, 3) / W(p, 2);
                    dc.WindowExtY = dc.WindowExtY * W(p, 1) / W(p, 0);
                }
                break;
            case TWmf::SetMapMode: dc.MapMode = p.U16(0); break;
            case TWmf::SetBkColor: dc.BkColor = p.U32(0); break;
            case TWmf::SetTextColor: dc.TextColor = p.U32(0); break;
            case TWmf::SetBkMode: dc.BkMode = p.U16(0); break;
            case TWmf::SetPolyFillMode: dc.PolyFillMode = p.U16(0); break;
            case TWmf::SetRop2: dc.Rop2 = p.U16(0); break;
            case TWmf::SetTextAlign: dc.TextAlign = p.U16(0); break;
            case TWmf::MoveTo: FCanvas.MoveTo(W(p, 1), W(p, 0)); break;
            case TWmf::LineTo: FCanvas.LineTo(W(p, 1), W(p, 0)); break;
            case TWmf::Rectangle: FCanvas.Rectangle(W(p, 3), W(p, 2), W(p, 1), W(p, 0)); break;
            case TWmf::Ellipse: FCanvas.Ellipse(W(p, 3), W(p, 2), W(p, 1), W(p, 0)); break;
            case TWmf::RoundRect: FCanvas.RoundRect(W(p, 5), W(p, 4), W(p, 3), W(p, 2), W(p, 1), W(p, 0)); break;
            case TWmf::Arc: ArcRecord(TMetafileCanvas::TArcKind::Arc, p); break;
            case TWmf::Chord: ArcRecord(TMetafileCanvas::TArcKind::Chord, p); break;
            case TWmf::Pie: ArcRecord(TMetafileCanvas::TArcKind::Pie, p); break;
            case TWmf::Polygon: FCanvas.PolyPolygon({Points(p, 2, p.U16(0))}, true); break;
            case TWmf::Polyline: FCanvas.Polyline(Points(p, 2, p.U16(0)), false, false); break;
            case TWmf::PolyPolygon: PolyPolygonRecord(p); break;
            case TWmf::SetPixel: FCanvas.SetPixel(W(p, 3), W(p, 2), p.U32(0)); break;
            case TWmf::IntersectClipRect: FCanvas.IntersectClip(W(p, 3), W(p, 2), W(p, 1), W(p, 0)); break;
            case TWmf::ExcludeClipRect: FCanvas.ExcludeClip(W(p, 3), W(p, 2), W(p, 1), W(p, 0)); break;
            case TWmf::SaveDC: FCanvas.SaveDc(); break;
            case TWmf::RestoreDC: FCanvas.RestoreDc(p.I16(0)); break;
            case TWmf::SelectObject: SelectRecord(p.U16(0)); break;
            case TWmf::SelectPalette: SelectRecord(p.U16(0)); break;
            case TWmf::DeleteObject: FObjects.Remove(p.U16(0)); break;
            case TWmf::CreatePenIndirect: CreatePen(p); break;
            case TWmf::CreateBrushIndirect: CreateBrush(p); break;
            case TWmf::CreateFontIndirect: CreateFont(p); break;
            case TWmf::CreatePalette: CreatePalette(p); break;
            case TWmf::CreateRegion: CreateRegion(p); break;
            case TWmf::CreatePatternBrush: FObjects.AddLowest(TBrushObject{BS_SOLID, 0x808080, 0, nullptr}); break;
            case TWmf::DIBCreatePatternBrush: CreateDibBrush(p); break;
            case TWmf::TextOut: TextOutRecord(p); break;
            case TWmf::ExtTextOut: ExtTextOutRecord(p); break;
            case TWmf::PatBlt: FCanvas.PatBlt(W(p, 5), W(p, 4), W(p, 3), W(p, 2), p.U32(0)); break;
            case TWmf::StretchDIB: StretchDibRecord(p); break;
            case TWmf::DIBStretchBlt: DibStretchBltRecord(p, true); break;
            case TWmf::StretchBlt: DibStretchBltRecord(p, false); break;
            case TWmf::DIBBitBlt: DibBitBltRecord(p, true); break;
            case TWmf::BitBlt: DibBitBltRecord(p, false); break;
            case TWmf::SetDIBToDev: SetDibToDevRecord(p); break;
            case TWmf::FillRegion: FillRegionRecord(p.U16(0), p.U16(2)); break;
            case TWmf::PaintRegion: PaintRegionRecord(p.U16(0)); break;
            case TWmf::SelectClipRegion: ClipRegionRecord(p.U16(0)); break;
            default: break;  // viewport records (the viewport is the destination), escapes, palettes animation
        }
    }

    void ArcRecord(TMetafileCanvas::TArcKind kind, const TByteView& p) {
        FCanvas.Arc(kind, W(p, 7), W(p, 6), W(p, 5), W(p, 4), {W(p, 3), W(p, 2)}, {W(p, 1), W(p, 0)});
    }

    void PolyPolygonRecord(const TByteView& p) {
        const std::size_t count = p.U16(0);
        p.Require(2, count * 2, "the polygon counts");
        std::vector<std::vector<TPointD>> polygons;
        std::size_t at = 2 + count * 2;
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t n = p.U16(2 + 2 * i);
            polygons.push_back(Points(p, at, n));
            at += n * 4;
        }
        FCanvas.PolyPolygon(polygons, true);
    }

    void SelectRecord(std::size_t index) {
        const TMetaObject* object = FObjects.Get(index);
        if (!object) return;
        if (const auto* region = std::get_if<TRegionObject>(object))
            FCanvas.SelectClipRegion(region, RGN_COPY, true);
        else
            Select(FCanvas.Dc(), *object);
    }

    void CreatePen(const TByteView& p) {
        TPenObject pen;
        if (p.Has(0, 10)) {
            pen.Style = p.U16(0);
            pen.Width = p.I16(2);
            pen.Color = p.U32(6);
        }
        FObjects.AddLowest(pen);
    }

    void CreateBrush(const TByteView& p) {
        TBrushObject brush;
        if (p.Has(0, 8)) {
            brush.Style = p.U16(0);
            brush.Color = p.U32(2);
            brush.Hatch = p.U16(6);
        }
        // Pattern styles need a bitmap this record does not carry.
        if (brush.Style != BS_SOLID && brush.Style != BS_NULL && brush.Style != BS_HATCHED) brush.Style = BS_SOLID;
        FObjects.AddLowest(brush);
    }

    void CreateFont(const TByteView& p) {
        TFontObject font;
        if (p.Has(0, 18)) {
            font.Height = p.I16(0);
            font.Escapement = p.I16(4);
            font.Weight = p.I16(8);
            font.Italic = p.U8(10) != 0;
            font.Underline = p.U8(11) != 0;
            font.StrikeOut = p.U8(12) != 0;
            font.Charset = p.U8(13);
            std::string face;
            for (std::size_t i = 18; i < p.Size() && i < 18 + 32 && p.U8(i) != 0; ++i) face += static_cast<char>(p.U8(i));
            font.Face = ToUtf8(DecodeAnsi(reinterpret_cast<const std::uint8_t*>(face.data()), face.size(), 0));
        }
        FObjects.AddLowest(font);
    }

    void CreatePalette(const TByteView& p) {
        TPaletteObject palette;
        if (p.Has(0, 4)) {
            const std::size_t count = std::min<std::size_t>(p.U16(2), (p.Size() - 4) / 4);
            for (std::size_t i = 0; i < count; ++i) palette.Colors.push_back(PaletteEntry(p, 4 + 4 * i));
        }
        FObjects.AddLowest(palette);
    }

    // A region: its scans when they can be read, else its bounding box.
    void CreateRegion(const TByteView& p) {
        TRegionObject region;
        if (p.Has(0, 22)) {
            const std::size_t scans = p.U16(10);
            std::size_t at = 22;
            for (std::size_t s = 0; s < scans && p.Has(at, 6); ++s) {
                const std::size_t count = p.U16(at);
                const double top = p.I16(at + 2), bottom = p.I16(at + 4);
                if (!p.Has(at + 6, count * 2 + 2)) break;
                for (std::size_t i = 0; i + 1 < count; i += 2)
                    region.Rects.push_back({double(p.I16(at + 6 + 2 * i)), top, double(p.I16(at + 8 + 2 * i)), bottom});
                at += 6 + count * 2 + 2;
            }
            if (region.Rects.empty() && scans == 0)
                region.Rects.push_back({double(p.I16(14)), double(p.I16(16)), double(p.I16(18)), double(p.I16(20))});
        }
        FObjects.AddLowest(region);
    }

    void CreateDibBrush(const TByteView& p) {
        TBrushObject brush{BS_DIBPATTERNPT, 0, 0, nullptr};
        try {
            const TByteView dib = p.From(4, "the pattern");
            const TDibInfo info = ReadDibInfo(dib, false, p.U16(2) == DIB_PAL_COLORS ? &FCanvas.Dc().Palette : nullptr);
            brush.Pattern = PatternTile(info, dib.From(info.InfoSize, "the pattern"), FCanvas.Budget());
        } catch (const EPictureBudget&) {
            throw;
        } catch (const Exception&) {
            brush = TBrushObject{BS_SOLID, 0, 0, nullptr};  // the slot is still taken
        }
        FObjects.AddLowest(std::move(brush));
    }

    void TextOutRecord(const TByteView& p) {
        const std::size_t length = p.U16(0);
        const std::size_t padded = (length + 1) & ~std::size_t{1};
        const TByteView text = p.Sub(2, length, "the text");
        FCanvas.Text(p.I16(2 + padded + 2), p.I16(2 + padded), DecodeAnsi(text.Data(), length, FCanvas.Dc().Font.Charset),
                     {}, 0, nullptr);
    }

    void ExtTextOutRecord(const TByteView& p) {
        const double y = p.I16(0), x = p.I16(2);
        const std::size_t length = p.U16(4);
        const std::uint16_t options = p.U16(6);
        std::size_t at = 8;
        TRegionObject::TRect rect{};
        const bool hasRect = (options & (ETO_OPAQUE | ETO_CLIPPED)) != 0;
        if (hasRect) {
            rect = {double(p.I16(8)), double(p.I16(10)), double(p.I16(12)), double(p.I16(14))};
            at = 16;
        }
        const TByteView text = p.Sub(at, length, "the text");
        at += (length + 1) & ~std::size_t{1};
        std::vector<double> dx;
        if (p.Has(at, length * 2))
            for (std::size_t i = 0; i < length; ++i) dx.push_back(p.I16(at + 2 * i));
        FCanvas.Text(x, y, DecodeAnsi(text.Data(), length, FCanvas.Dc().Font.Charset), dx, options,
                     hasRect ? &rect : nullptr);
    }

    TBlitDib PackedDib(const TByteView& p, std::size_t at, std::uint32_t usage) {
        const TByteView dib = p.From(at, "the bitmap");
        TDibInfo info = ReadDibInfo(dib, false, usage == DIB_PAL_COLORS ? &FCanvas.Dc().Palette : nullptr);
        const TByteView bits = dib.From(info.InfoSize, "the bitmap");
        return {std::move(info), bits};
    }

    void StretchDibRecord(const TByteView& p) {
        const std::uint32_t rop = p.U32(0);
        const double srcH = W(p, 3), srcW = W(p, 4), ySrc = W(p, 5), xSrc = W(p, 6);
        const double h = W(p, 7), w = W(p, 8), y = W(p, 9), x = W(p, 10);
        const TBlitDib dib = PackedDib(p, 22, p.U16(4));
        FCanvas.DrawDib(dib.Info, dib.Bits, dib.FromBottom(xSrc, ySrc, srcW, srcH), x, y, w, h, rop);
    }

    // The DIB forms carry a packed DIB, the old forms a Bitmap16; without
    // either (a shorter record) they are pattern blits. Blit sources are
    // memory devices, whose coordinates run from the top.
    void DibStretchBltRecord(const TByteView& p, bool dib) {
        const std::uint32_t rop = p.U32(0);
        if (p.Size() == 22) return FCanvas.PatBlt(W(p, 10), W(p, 9), W(p, 8), W(p, 7), rop);
        const double srcH = W(p, 2), srcW = W(p, 3), ySrc = W(p, 4), xSrc = W(p, 5);
        if (dib) {
            const TBlitDib source = PackedDib(p, 20, DIB_RGB_COLORS);
            return FCanvas.DrawDib(source.Info, source.Bits, {xSrc, ySrc, srcW, srcH}, W(p, 9), W(p, 8), W(p, 7),
                                   W(p, 6), rop);
        }
        const TDecodedDib image = DecodeBitmap16(p.From(20, "the bitmap"));
        FCanvas.DrawImage(image.Pixels.get(), xSrc, ySrc, srcW, srcH, W(p, 9), W(p, 8), W(p, 7), W(p, 6), rop);
    }

    void DibBitBltRecord(const TByteView& p, bool dib) {
        const std::uint32_t rop = p.U32(0);
        if (p.Size() == 18) return FCanvas.PatBlt(W(p, 8), W(p, 7), W(p, 6), W(p, 5), rop);
        const double ySrc = W(p, 2), xSrc = W(p, 3), h = W(p, 4), w = W(p, 5);
        if (dib) {
            const TBlitDib source = PackedDib(p, 16, DIB_RGB_COLORS);
            return FCanvas.DrawDib(source.Info, source.Bits, {xSrc, ySrc, w, h}, W(p, 7), W(p, 6), w, h, rop);
        }
        const TDecodedDib image = DecodeBitmap16(p.From(16, "the bitmap"));
        FCanvas.DrawImage(image.Pixels.get(), xSrc, ySrc, w, h, W(p, 7), W(p, 6), w, h, rop);
    }

    void SetDibToDevRecord(const TByteView& p) {
        const double ySrc = W(p, 3), xSrc = W(p, 4), h = W(p, 5), w = W(p, 6);
        const TBlitDib image = PackedDib(p, 18, p.U16(0));
        FCanvas.DrawDib(image.Info, image.Bits, image.FromBottom(xSrc, ySrc, w, h), W(p, 8), W(p, 7), w, h, SRCCOPY);
    }

    void FillRegionRecord(std::size_t regionIndex, std::size_t brushIndex) {
        const TMetaObject* region = FObjects.Get(regionIndex);
        const TMetaObject* brush = FObjects.Get(brushIndex);
        if (!region || !brush) return;
        const auto* r = std::get_if<TRegionObject>(region);
        const auto* b = std::get_if<TBrushObject>(brush);
        if (r && b) FCanvas.FillRegion(*r, *b);
    }

    void PaintRegionRecord(std::size_t regionIndex) {
        const TMetaObject* region = FObjects.Get(regionIndex);
        if (const auto* r = region ? std::get_if<TRegionObject>(region) : nullptr) FCanvas.FillRegion(*r, FCanvas.Dc().Brush);
    }

    void ClipRegionRecord(std::size_t regionIndex) {
        const TMetaObject* region = FObjects.Get(regionIndex);
        FCanvas.SelectClipRegion(region ? std::get_if<TRegionObject>(region) : nullptr, RGN_COPY, true);
    }

    const TByteView& FBytes;
    const TMetafileInfo& FInfo;
    TMetafileCanvas& FCanvas;
    TObjectTable FObjects;
};

// ---------------------------------------------------------------- EMF

TPenObject StockPen(std::uint32_t color, bool none) {
    TPenObject pen;
    pen.Color = color;
    pen.Style = none ? PS_NULL : PS_SOLID;
    return pen;
}

TBrushObject StockBrush(std::uint32_t color, bool none) { return {none ? BS_NULL : BS_SOLID, color, 0, nullptr}; }

TMetaObject StockObject(std::uint32_t index) {
    switch (index) {
        case WHITE_BRUSH: return StockBrush(0xFFFFFF, false);
        case LTGRAY_BRUSH: return StockBrush(0xC0C0C0, false);
        case GRAY_BRUSH: return StockBrush(0x808080, false);
        case DKGRAY_BRUSH: return StockBrush(0x404040, false);
        case BLACK_BRUSH: return StockBrush(0, false);
        case NULL_BRUSH: return StockBrush(0, true);
        case WHITE_PEN: return StockPen(0xFFFFFF, false);
        case BLACK_PEN: return StockPen(0, false);
        case NULL_PEN: return StockPen(0, true);
        case OEM_FIXED_FONT:
        case ANSI_FIXED_FONT:
        case SYSTEM_FIXED_FONT: return TFontObject{0, 0, 400, false, false, false, 0, "Courier New"};
        case ANSI_VAR_FONT:
        case SYSTEM_FONT:
        case DEVICE_DEFAULT_FONT:
        case DEFAULT_GUI_FONT: return TFontObject{};
        case DEFAULT_PALETTE: return TPaletteObject{};
        case DC_BRUSH: return StockBrush(0xFFFFFF, false);
        case DC_PEN: return StockPen(0, false);
        default: return std::monostate{};
    }
}

class TEmfReader {
public:
    TEmfReader(const TByteView& bytes, const TMetafileInfo& info, TMetafileCanvas& canvas)
        : FBytes(bytes), FCanvas(canvas), FObjects(info.Handles) {}

    void Play() {
        std::size_t at = FBytes.U32(4);
        while (FBytes.Has(at, 8)) {
            const std::uint32_t type = FBytes.U32(at), size = FBytes.U32(at + 4);
            if (size < 8 || size > FBytes.Size() - at) break;
            if (static_cast<TEmr>(type) == TEmr::Eof) break;
            PlayRecord([&] { Record(static_cast<TEmr>(type), FBytes.Sub(at, size, "a record")); });
            at += size;
        }
    }

private:
    static TPointD PointL(const TByteView& r, std::size_t at) { return {double(r.I32(at)), double(r.I32(at + 4))}; }

    static std::vector<TPointD> Points(const TByteView& r, std::size_t at, std::size_t count, bool small) {
        const std::size_t step = small ? 4 : 8;
        if (count > r.Size() / step) r.Fail("a point count past the record's end");
        r.Require(at, count * step, "the points");
        std::vector<TPointD> points(count);
        for (std::size_t i = 0; i < count; ++i)
            points[i] = small ? TPointD{double(r.I16(at + 4 * i)), double(r.I16(at + 4 * i + 2))} : PointL(r, at + 8 * i);
        return points;
    }

    void Record(TEmr type, const TByteView& r) {
        TDeviceContext& dc = FCanvas.Dc();
        using K = TMetafileCanvas::TArcKind;
        switch (type) {
            case TEmr::Polygon: case TEmr::Polygon16:
                FCanvas.PolyPolygon({Points(r, 28, r.U32(24), type == TEmr::Polygon16)}, true);
                break;
            case TEmr::Polyline: case TEmr::Polyline16:
                FCanvas.Polyline(Points(r, 28, r.U32(24), type == TEmr::Polyline16), false, false);
                break;
            case TEmr::PolylineTo: case TEmr::PolylineTo16:
                FCanvas.Polyline(Points(r, 28, r.U32(24), type == TEmr::PolylineTo16), true, true);
                break;
            case TEmr::PolyBezier: case TEmr::PolyBezier16:
                FCanvas.PolyBezier(Points(r, 28, r.U32(24), type == TEmr::PolyBezier16), false, false);
                break;
            case TEmr::PolyBezierTo: case TEmr::PolyBezierTo16:
                FCanvas.PolyBezier(Points(r, 28, r.U32(24), type == TEmr::PolyBezierTo16), true, true);
                break;
            case TEmr::PolyPolygon: case TEmr::PolyPolygon16: PolyPoly(r, type == TEmr::PolyPolygon16, true); break;
            case TEmr::PolyPolyline: case TEmr::PolyPolyline16: PolyPoly(r, type == TEmr::PolyPolyline16, false); break;
            case TEmr::SetWindowExtEx: dc.WindowExtX = r.I32(8); dc.WindowExtY = r.I32(12); break;
            case TEmr::SetWindowOrgEx: dc.WindowOrgX = r.I32(8); dc.WindowOrgY = r.I32(12); break;
            case TEmr::SetViewportExtEx: dc.ViewportExtX = r.I32(8); dc.ViewportExtY = r.I32(12); break;
            case TEmr::SetViewportOrgEx: dc.ViewportOrgX = r.I32(8); dc.ViewportOrgY = r.I32(12); break;
            case TEmr::ScaleViewportExtEx:
                if (r.I32(12) != 0 && r.I32(20) != 0) {
                    dc.ViewportExtX = dc.ViewportExtX * r.I32(8) / r.I32(12);
                    dc.ViewportExtY = dc.ViewportExtY * r.I32(16) / r.I32(20);
                }
                break;
            case TEmr::ScaleWindowExtEx:
                if (r.I32(12) != 0 && r.I32(20) != 0) {
                    dc.WindowExtX = dc.WindowExtX * r.I32(8) / r.I32(12);
                    dc.WindowExtY = dc.WindowExtY * r.I32(16) / r.I32(20);
                }
                break;
            case TEmr::SetPixelV: FCanvas.SetPixel(r.I32(8), r.I32(12), r.U32(16)); break;
            case TEmr::SetMapMode: dc.MapMode = r.U32(8); break;
            case TEmr::SetBkMode: dc.BkMode = r.U32(8); break;
            case TEmr::SetPolyFillMode: dc.PolyFillMode = r.U32(8); break;
            case TEmr::SetRop2: dc.Rop2 = r.U32(8); break;
            case TEmr::SetTextAlign: dc.TextAlign = r.U32(8); break;
            case TEmr::SetTextColor: dc.TextColor = r.U32(8); break;
            case TEmr::SetBkColor: dc.BkColor = r.U32(8); break;
            case TEmr::SetArcDirection: dc.ArcDirection = r.U32(8); break;
            case TEmr::MoveToEx: FCanvas.MoveTo(r.I32(8), r.I32(12)); break;
            case TEmr::LineTo: FCanvas.LineTo(r.I32(8), r.I32(12)); break;
            case TEmr::ExcludeClipRect: FCanvas.ExcludeClip(r.I32(8), r.I32(12), r.I32(16), r.I32(20)); break;
            case TEmr::IntersectClipRect: FCanvas.IntersectClip(r.I32(8), r.I32(12), r.I32(16), r.I32(20)); break;
            case TEmr::SaveDC: FCanvas.SaveDc(); break;
            case TEmr::RestoreDC: FCanvas.RestoreDc(r.I32(8)); break;
            case TEmr::SetWorldTransform: SetWorld(ReadXform(r, 8), MWT_SET); break;
            case TEmr::ModifyWorldTransform: SetWorld(ReadXform(r, 8), r.U32(32)); break;
            case TEmr::SelectObject: SelectRecord(r.U32(8)); break;
            case TEmr::SelectPalette: SelectRecord(r.U32(8)); break;
            case TEmr::DeleteObject: FObjects.Remove(r.U32(8)); break;
            case TEmr::CreatePen: {
                TPenObject pen;
                pen.Style = r.U32(12);
                pen.Width = r.I32(16);
                pen.Color = r.U32(24);
                FObjects.Put(r.U32(8), pen);
                break;
            }
            case TEmr::ExtCreatePen: ExtCreatePen(r); break;
            case TEmr::CreateBrushIndirect: {
                TBrushObject brush{r.U32(12), r.U32(16), r.U32(20), nullptr};
                if (brush.Style != BS_SOLID && brush.Style != BS_NULL && brush.Style != BS_HATCHED) brush.Style = BS_SOLID;
                FObjects.Put(r.U32(8), brush);
                break;
            }
            case TEmr::CreateMonoBrush: case TEmr::CreateDIBPatternBrushPt: CreatePatternBrush(r); break;
            case TEmr::ExtCreateFontIndirectW: CreateFont(r); break;
            case TEmr::CreatePalette: CreatePalette(r); break;
            case TEmr::AngleArc: FCanvas.AngleArc(r.I32(8), r.I32(12), r.U32(16), r.F32(20), r.F32(24)); break;
            case TEmr::Ellipse: FCanvas.Ellipse(r.I32(8), r.I32(12), r.I32(16), r.I32(20)); break;
            case TEmr::Rectangle: FCanvas.Rectangle(r.I32(8), r.I32(12), r.I32(16), r.I32(20)); break;
            case TEmr::RoundRect:
                FCanvas.RoundRect(r.I32(8), r.I32(12), r.I32(16), r.I32(20), r.I32(24), r.I32(28));
                break;
            case TEmr::Arc: ArcRecord(K::Arc, r); break;
            case TEmr::ArcTo: ArcRecord(K::ArcTo, r); break;
            case TEmr::Chord: ArcRecord(K::Chord, r); break;
            case TEmr::Pie: ArcRecord(K::Pie, r); break;
            case TEmr::BeginPath: FCanvas.BeginPath(); break;
            case TEmr::EndPath: FCanvas.EndPath(); break;
            case TEmr::AbortPath: FCanvas.AbortPath(); break;
            case TEmr::CloseFigure: FCanvas.CloseFigure(); break;
            case TEmr::FillPath: FCanvas.FillPath(true, false); break;
            case TEmr::StrokePath: FCanvas.FillPath(false, true); break;
            case TEmr::StrokeAndFillPath: FCanvas.FillPath(true, true); break;
            case TEmr::SelectClipPath: FCanvas.SelectClipPath(r.U32(8)); break;
            case TEmr::ExtSelectClipRgn: {
                const std::uint32_t size = r.U32(8), mode = r.U32(12);
                if (size == 0) {
                    FCanvas.SelectClipRegion(nullptr, mode, false);
                } else {
                    const TRegionObject region = ReadRegion(r.Sub(16, size, "the region"));
                    FCanvas.SelectClipRegion(&region, mode, false);
                }
                break;
            }
            case TEmr::FillRgn: {
                const TMetaObject* brush = FObjects.Get(r.U32(28));
                const auto* b = brush ? std::get_if<TBrushObject>(brush) : nullptr;
                if (r.U32(28) & StockObjectFlag) {
                    const TMetaObject stock = StockObject(r.U32(28) & ~StockObjectFlag);
                    if (const auto* sb = std::get_if<TBrushObject>(&stock))
                        FCanvas.FillRegion(ReadRegion(r.Sub(32, r.U32(24), "the region")), *sb);
                } else if (b) {
                    FCanvas.FillRegion(ReadRegion(r.Sub(32, r.U32(24), "the region")), *b);
                }
                break;
            }
            case TEmr::PaintRgn: FCanvas.FillRegion(ReadRegion(r.Sub(28, r.U32(24), "the region")), dc.Brush); break;
            case TEmr::BitBlt: BltRecord(r, false); break;
            case TEmr::StretchBlt: BltRecord(r, true); break;
            case TEmr::StretchDIBits: StretchDibits(r); break;
            case TEmr::SetDIBitsToDevice: SetDibitsToDevice(r); break;
            case TEmr::ExtTextOutA: TextRecord(r, false); break;
            case TEmr::ExtTextOutW: TextRecord(r, true); break;
            default: break;  // EMF+ comments, colour adjustment, ICM, layout and the like
        }
    }

    static cairo_matrix_t ReadXform(const TByteView& r, std::size_t at) {
        cairo_matrix_t m;
        cairo_matrix_init(&m, r.F32(at), r.F32(at + 4), r.F32(at + 8), r.F32(at + 12), r.F32(at + 16), r.F32(at + 20));
        return m;
    }

    void SetWorld(const cairo_matrix_t& x, std::uint32_t mode) {
        for (double v : {x.xx, x.yx, x.xy, x.yy, x.x0, x.y0})
            if (!std::isfinite(v)) return;
        cairo_matrix_t& world = FCanvas.Dc().World;
        cairo_matrix_t result;
        switch (mode) {
            case MWT_IDENTITY: cairo_matrix_init_identity(&world); return;
            case MWT_SET: world = x; return;
            case MWT_LEFTMULTIPLY: cairo_matrix_multiply(&result, &x, &world); break;
            case MWT_RIGHTMULTIPLY: cairo_matrix_multiply(&result, &world, &x); break;
            default: return;
        }
        world = result;
    }

    void PolyPoly(const TByteView& r, bool small, bool closed) {
        const std::size_t polys = r.U32(24), total = r.U32(28);
        if (polys > r.Size() / 4) r.Fail("a polygon count past the record's end");
        r.Require(32, polys * 4, "the polygon counts");
        const std::vector<TPointD> points = Points(r, 32 + polys * 4, total, small);
        std::vector<std::vector<TPointD>> polygons;
        std::size_t next = 0;
        for (std::size_t i = 0; i < polys; ++i) {
            const std::size_t n = r.U32(32 + 4 * i);
            if (n > points.size() - next) r.Fail("polygon counts exceed the points");
            polygons.emplace_back(points.begin() + next, points.begin() + next + n);
            next += n;
        }
        if (closed)
            FCanvas.PolyPolygon(polygons, true);
        else
            for (const auto& line : polygons) FCanvas.Polyline(line, false, false);
    }

    void ArcRecord(TMetafileCanvas::TArcKind kind, const TByteView& r) {
        FCanvas.Arc(kind, r.I32(8), r.I32(12), r.I32(16), r.I32(20), PointL(r, 24), PointL(r, 32));
    }

    void SelectRecord(std::uint32_t index) {
        if (index & StockObjectFlag) {
            Select(FCanvas.Dc(), StockObject(index & ~StockObjectFlag));
        } else if (const TMetaObject* object = FObjects.Get(index)) {
            Select(FCanvas.Dc(), *object);
        }
    }

    void ExtCreatePen(const TByteView& r) {
        TPenObject pen;
        pen.Style = r.U32(28);
        pen.Width = r.U32(32);
        pen.Color = r.U32(40);
        if ((pen.Style & PS_STYLE_MASK) == PS_USERSTYLE) {
            const std::size_t count = r.U32(48);
            if (count <= 16 && r.Has(52, count * 4))
                for (std::size_t i = 0; i < count; ++i) pen.Dashes.push_back(r.U32(52 + 4 * i));
        }
        // Geometric widths are logical units; cosmetic pens are one pixel wide.
        if (!(pen.Style & PS_GEOMETRIC)) pen.Width = 0;
        FObjects.Put(r.U32(8), pen);
    }

    TBlitDib RecordDib(const TByteView& r, std::size_t fields, std::uint32_t usage, std::int64_t scans = -1) {
        const std::uint32_t offBmi = r.U32(fields), cbBmi = r.U32(fields + 4);
        const std::uint32_t offBits = r.U32(fields + 8), cbBits = r.U32(fields + 12);
        return RecordDibParts(r.Sub(offBmi, cbBmi, "the bitmap header"), r.Sub(offBits, cbBits, "the bitmap"), usage,
                              FCanvas.Dc().Palette, scans);
    }

    void CreatePatternBrush(const TByteView& r) {
        const std::uint32_t index = r.U32(8);
        TBrushObject brush{BS_DIBPATTERNPT, 0, 0, nullptr};
        try {
            const std::uint32_t offBmi = r.U32(16), cbBmi = r.U32(20), offBits = r.U32(24), cbBits = r.U32(28);
            const std::uint32_t usage = r.U32(12);
            const TDibInfo info = ReadDibInfo(r.Sub(offBmi, cbBmi, "the bitmap header"), false,
                                              usage == DIB_PAL_COLORS ? &FCanvas.Dc().Palette : nullptr);
            brush.Pattern = PatternTile(info, r.Sub(offBits, cbBits, "the bitmap"), FCanvas.Budget());
        } catch (const EPictureBudget&) {
            throw;
        } catch (const Exception&) {
            brush = TBrushObject{BS_SOLID, 0, 0, nullptr};  // the slot is still taken
        }
        FObjects.Put(index, std::move(brush));
    }

    void CreateFont(const TByteView& r) {
        TFontObject font;
        font.Height = r.I32(12);
        font.Escapement = r.I32(20);
        font.Weight = r.I32(28);
        font.Italic = r.U8(32) != 0;
        font.Underline = r.U8(33) != 0;
        font.StrikeOut = r.U8(34) != 0;
        font.Charset = r.U8(35);
        std::size_t length = 0;
        while (length < 32 && r.Has(40 + 2 * length, 2) && r.U16(40 + 2 * length) != 0) ++length;
        font.Face = ToUtf8(DecodeUtf16(r.Data() + 40, length));
        FObjects.Put(r.U32(8), font);
    }

    void CreatePalette(const TByteView& r) {
        TPaletteObject palette;
        const std::size_t count = r.U16(14);
        r.Require(16, count * 4, "the palette");
        for (std::size_t i = 0; i < count; ++i) palette.Colors.push_back(PaletteEntry(r, 16 + 4 * i));
        FObjects.Put(r.U32(8), palette);
    }

    static TRegionObject ReadRegion(const TByteView& data) {
        TRegionObject region;
        const std::size_t count = data.U32(8);
        if (count > data.Size() / 16) data.Fail("a region count past the record's end");
        data.Require(32, count * 16, "the region rectangles");
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t at = 32 + 16 * i;
            region.Rects.push_back({double(data.I32(at)), double(data.I32(at + 4)), double(data.I32(at + 8)),
                                    double(data.I32(at + 12))});
        }
        return region;
    }

    void BltRecord(const TByteView& r, bool stretch) {
        const double x = r.I32(24), y = r.I32(28), w = r.I32(32), h = r.I32(36);
        const std::uint32_t rop = r.U32(40);
        if (r.U32(88) == 0 || r.U32(96) == 0) return FCanvas.PatBlt(x, y, w, h, rop);
        const double sw = stretch ? r.I32(100) : w, sh = stretch ? r.I32(104) : h;
        // A memory device's coordinates run from the top, whatever the DIB's row order.
        const TBlitDib dib = RecordDib(r, 84, r.U32(80));
        FCanvas.DrawDib(dib.Info, dib.Bits, {double(r.I32(44)), double(r.I32(48)), sw, sh}, x, y, w, h, rop);
    }

    void StretchDibits(const TByteView& r) {
        const double x = r.I32(24), y = r.I32(28), sx = r.I32(32), sy = r.I32(36), sw = r.I32(40), sh = r.I32(44);
        const std::uint32_t rop = r.U32(68);
        if (r.U32(52) == 0) return FCanvas.PatBlt(x, y, r.I32(72), r.I32(76), rop);
        const TBlitDib dib = RecordDib(r, 48, r.U32(64));
        FCanvas.DrawDib(dib.Info, dib.Bits, dib.FromBottom(sx, sy, sw, sh), x, y, r.I32(72), r.I32(76), rop);
    }

    void SetDibitsToDevice(const TByteView& r) {
        const double x = r.I32(24), y = r.I32(28), sx = r.I32(32), sy = r.I32(36), sw = r.I32(40), sh = r.I32(44);
        const TBlitDib dib = RecordDib(r, 48, r.U32(64), r.U32(72));
        FCanvas.DrawDib(dib.Info, dib.Bits, dib.FromBottom(sx, sy, sw, sh), x, y, sw, sh, SRCCOPY);
    }

    void TextRecord(const TByteView& r, bool wide) {
        const double x = r.I32(36), y = r.I32(40);
        const std::size_t count = r.U32(44);
        const std::uint32_t offString = r.U32(48), options = r.U32(52), offDx = r.U32(72);
        const TRegionObject::TRect rect{double(r.I32(56)), double(r.I32(60)), double(r.I32(64)), double(r.I32(68))};
        if (count > r.Size()) r.Fail("a character count past the record's end");
        const TByteView text = r.Sub(offString, count * (wide ? 2 : 1), "the text");
        std::vector<double> dx;
        const std::size_t step = (options & ETO_PDY) ? 8 : 4;
        if (offDx != 0 && r.Has(offDx, count * step))
            for (std::size_t i = 0; i < count; ++i) dx.push_back(r.I32(offDx + step * i));
        FCanvas.Text(x, y, wide ? DecodeUtf16(text.Data(), count) : DecodeAnsi(text.Data(), count, FCanvas.Dc().Font.Charset),
                     dx, options, &rect);
    }

    const TByteView& FBytes;
    TMetafileCanvas& FCanvas;
    TObjectTable FObjects;
};

// Maps the enhanced metafile's device space (its frame, converted to device
// pixels) onto the destination.
bool EmfDeviceToDest(const TMetafileInfo& info, const TDestRect& dest, cairo_matrix_t& m) {
    const double ppmX = double(info.DevicePixelsX) / info.DeviceMillimetersX;
    const double ppmY = double(info.DevicePixelsY) / info.DeviceMillimetersY;
    double left = info.Frame.Left / 100.0 * ppmX, top = info.Frame.Top / 100.0 * ppmY;
    double width = (double(info.Frame.Right) - info.Frame.Left) / 100.0 * ppmX;
    double height = (double(info.Frame.Bottom) - info.Frame.Top) / 100.0 * ppmY;
    if (!(width > 0) || !(height > 0)) {
        left = info.Bounds.Left;
        top = info.Bounds.Top;
        width = double(info.Bounds.Right) - info.Bounds.Left + 1;
        height = double(info.Bounds.Bottom) - info.Bounds.Top + 1;
    }
    if (!(width > 0) || !(height > 0)) return false;
    const double sx = dest.Width / width, sy = dest.Height / height;
    cairo_matrix_init(&m, sx, 0, 0, sy, dest.Left - left * sx, dest.Top - top * sy);
    return true;
}

}  // namespace

void PlayMetafile(const TByteView& bytes, const TMetafileInfo& info, cairo_t* cr, const TDestRect& dest,
                  TPictureBudget* budget) {
    if (dest.Width == 0 || dest.Height == 0 || !std::isfinite(dest.Width) || !std::isfinite(dest.Height)) return;
    const double referenceScale = info.Width > 0 ? std::fabs(dest.Width) / info.Width : 1;
    TPictureBudget own("Metafile");
    TMetafileCanvas canvas(cr, dest, referenceScale, budget ? *budget : own);
    if (info.Enhanced) {
        cairo_matrix_t deviceToDest;
        if (!EmfDeviceToDest(info, dest, deviceToDest)) return;
        canvas.SetDeviceToDest(deviceToDest);
        canvas.SetDeviceResolution(double(info.DevicePixelsX) / info.DeviceMillimetersX,
                                   double(info.DevicePixelsY) / info.DeviceMillimetersY);
        TEmfReader(bytes, info, canvas).Play();
    } else {
        TWmfReader(bytes, info, canvas).Play();
    }
}

}  // namespace tal::pictures
