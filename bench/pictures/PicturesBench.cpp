// Drawing a 6 x 4 inch metafile at 300 ppi (onto white, and onto a
// transparent raster with its mask), JPEG encoding of the 1800 x 1200 raster
// it gives (ours beside libjpeg called directly with the same settings), and
// all that the PDF writer does with such a picture.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

#include "pdf/PdfImageMask.h"
#include "platform/Graphic.h"
#include "platform/jpeg/JpegEncoder.h"
#include "platform/pictures/MaskedRaster.h"
#include "platform/pictures/MetafileWriter.h"

namespace {

using namespace tal;
using namespace tal::pictures;

TRecordData RectL(int l, int t, int r, int b) { return TRecordData().I32(l).I32(t).I32(r).I32(b); }

// A chart-like enhanced metafile, 6 x 4 inches on a 96 ppi reference device:
// filled and outlined bars, hatched areas, a polyline of 200 points, Béziers,
// ellipses and text labels.
std::vector<std::uint8_t> ChartMetafile() {
    TEmfWriter w;
    w.SetHandles(8);
    w.Add(TEmr::CreatePen, TRecordData().U32(1).U32(PS_SOLID).I32(2).I32(0).U32(0x202020));
    w.Add(TEmr::SelectObject, TRecordData().U32(1));
    w.Add(TEmr::ExtCreateFontIndirectW, [] {
        TRecordData d;
        d.U32(2).I32(-14).I32(0).I32(0).I32(0).I32(400).U32(0).U32(0);
        for (char16_t c : std::u16string_view(u"Liberation Sans")) d.U16(c);
        for (int i = 15; i < 32; ++i) d.U16(0);
        return d;
    }());
    w.Add(TEmr::SelectObject, TRecordData().U32(2));
    w.Add(TEmr::SetBkMode, TRecordData().U32(TRANSPARENT));
    for (int i = 0; i < 40; ++i) {
        const std::uint32_t color = 0x102030u * (i % 7) + 0x400000u;
        w.Add(TEmr::CreateBrushIndirect,
              TRecordData().U32(3).U32(i % 4 == 0 ? BS_HATCHED : BS_SOLID).U32(color).U32(i % 6));
        w.Add(TEmr::SelectObject, TRecordData().U32(3));
        const int x = 20 + i * 13, h = 40 + (i * 37) % 250;
        w.Add(TEmr::Rectangle, RectL(x, 360 - h, x + 10, 360));
        w.Add(TEmr::Ellipse, RectL(x, 370, x + 10, 380));
        w.Add(TEmr::DeleteObject, TRecordData().U32(3));
        TRecordData text = RectL(0, 0, 0, 0);
        text.U32(1).F32(1).F32(1).I32(x).I32(382).U32(2).U32(76).U32(0).Bytes(RectL(0, 0, 0, 0).Data()).U32(0);
        text.U16('A' + i % 26).U16('0' + i % 10);
        w.Add(TEmr::ExtTextOutW, text);
    }
    TRecordData line = RectL(0, 0, 0, 0);
    line.U32(200);
    for (int i = 0; i < 200; ++i) line.I32(20 + i * 2.6).I32(static_cast<int>(200 + 80 * std::sin(i / 10.0)));
    w.Add(TEmr::Polyline, line);
    TRecordData bezier = RectL(0, 0, 0, 0);
    bezier.U32(31);
    for (int i = 0; i < 31; ++i) bezier.I32(20 + i * 17).I32(i % 3 == 1 ? 20 : 120);
    w.Add(TEmr::PolyBezier, bezier);
    return w.Finish({0, 0, 575, 383}, {0, 0, 15240, 10160}, 1920, 1080, 508, 286);
}

const TMetafile& Chart() {
    static const TMetafile chart = [] {
        TMetafile m;
        m.LoadFromBytes(ChartMetafile());
        return m;
    }();
    return chart;
}

const TRaster& ChartRaster() {
    static const TRaster raster = DrawToRaster(Chart(), 1800, 1200);
    return raster;
}

void BM_DrawMetafile6x4At300ppi(benchmark::State& state) {
    for (auto _ : state) {
        TRaster raster = DrawToRaster(Chart(), 1800, 1200);
        benchmark::DoNotOptimize(raster.Row(0));
    }
}
BENCHMARK(BM_DrawMetafile6x4At300ppi)->Unit(benchmark::kMillisecond);

void BM_JpegOurs(benchmark::State& state) {
    const TRaster& raster = ChartRaster();
    for (auto _ : state) {
        std::vector<std::uint8_t> jpeg = EncodeJpeg(raster, 90);
        benchmark::DoNotOptimize(jpeg.data());
    }
}
BENCHMARK(BM_JpegOurs)->Unit(benchmark::kMillisecond);

// libjpeg as its own examples use it: memory destination, default error manager.
void BM_JpegBareLibjpeg(benchmark::State& state) {
    const TRaster& raster = ChartRaster();
    for (auto _ : state) {
        jpeg_compress_struct c;
        jpeg_error_mgr err;
        c.err = jpeg_std_error(&err);
        jpeg_create_compress(&c);
        unsigned char* out = nullptr;
        unsigned long size = 0;
        jpeg_mem_dest(&c, &out, &size);
        c.image_width = raster.Width();
        c.image_height = raster.Height();
        c.input_components = 3;
        c.in_color_space = JCS_RGB;
        jpeg_set_defaults(&c);
        jpeg_set_quality(&c, 90, TRUE);
        jpeg_start_compress(&c, TRUE);
        while (c.next_scanline < c.image_height) {
            JSAMPROW row = const_cast<JSAMPLE*>(raster.Row(static_cast<int>(c.next_scanline)));
            jpeg_write_scanlines(&c, &row, 1);
        }
        jpeg_finish_compress(&c);
        jpeg_destroy_compress(&c);
        benchmark::DoNotOptimize(out);
        std::free(out);
    }
}
BENCHMARK(BM_JpegBareLibjpeg)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// The same drawing onto a transparent raster, with the mask of what the
// metafile leaves untouched.
void BM_DrawMaskedMetafile6x4At300ppi(benchmark::State& state) {
    for (auto _ : state) {
        TMaskedRaster drawn = DrawMasked(Chart(), 1800, 1200);
        benchmark::DoNotOptimize(drawn.Pixels.Row(0));
    }
}
BENCHMARK(BM_DrawMaskedMetafile6x4At300ppi)->Unit(benchmark::kMillisecond);

// What the PDF writer does for a metafile placed 6 x 4 inches at 300 ppi
// (by StretchDraw, or by Draw for a metafile of that size): drawing, JPEG
// encoding and the run-length encoded mask together.
void BM_MetafileForPdf6x4At300ppi(benchmark::State& state) {
    for (auto _ : state) {
        const TMaskedRaster drawn = DrawMasked(Chart(), 1800, 1200);
        std::vector<std::uint8_t> jpeg = EncodeJpeg(drawn.Pixels, 90);
        std::vector<std::uint8_t> mask = pdf::RunLengthEncode(drawn.Mask.Bits);
        benchmark::DoNotOptimize(jpeg.data());
        benchmark::DoNotOptimize(mask.data());
    }
}
BENCHMARK(BM_MetafileForPdf6x4At300ppi)->Unit(benchmark::kMillisecond);

// Draw of the same metafile (576 x 384 reference pixels, placed 8 x 5.33
// inches): the PDF writer once drew it one pixel per point (576 x 384); it
// now draws it at 300 ppi for that size (2400 x 1600).
void BM_MetafileForPdfAt(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    for (auto _ : state) {
        const TMaskedRaster drawn = DrawMasked(Chart(), width, height);
        std::vector<std::uint8_t> jpeg = EncodeJpeg(drawn.Pixels, 90);
        std::vector<std::uint8_t> mask = pdf::RunLengthEncode(drawn.Mask.Bits);
        benchmark::DoNotOptimize(jpeg.data());
        benchmark::DoNotOptimize(mask.data());
    }
}
BENCHMARK(BM_MetafileForPdfAt)->Args({576, 384})->Args({2400, 1600})->Unit(benchmark::kMillisecond);

// The same as the PDF writer encodes it now: straight from the drawing
// surface (the same bytes as above).
void BM_MetafileForPdfFromSurface6x4At300ppi(benchmark::State& state) {
    for (auto _ : state) {
        const TMaskedJpeg drawn = DrawMaskedJpeg(Chart(), 1800, 1200, 90);
        std::vector<std::uint8_t> mask = pdf::RunLengthEncode(drawn.Mask.Bits);
        benchmark::DoNotOptimize(drawn.Jpeg.data());
        benchmark::DoNotOptimize(mask.data());
    }
}
BENCHMARK(BM_MetafileForPdfFromSurface6x4At300ppi)->Unit(benchmark::kMillisecond);

// A 1000 x 800 photo-like bitmap stretched to 875 x 700 (range 0: 0) or
// 750 x 600 (1) and JPEG encoded: through the 24-bit raster as the PDF writer
// once did, and straight from the surface with lent surfaces as it does now.
const TBitmap& Photo() {
    static const TBitmap photo = [] {
        TRaster pixels(1000, 800);
        std::uint32_t random = 2463534242u;
        for (int y = 0; y < 800; ++y)
            for (int x = 0; x < 1000; ++x) {
                random ^= random << 13;
                random ^= random >> 17;
                random ^= random << 5;
                std::uint8_t* p = pixels.Row(y) + 3 * x;
                p[0] = static_cast<std::uint8_t>(x / 4 + (random & 15));
                p[1] = static_cast<std::uint8_t>(128 + 60 * std::sin(x * 0.02) * std::cos(y * 0.017));
                p[2] = static_cast<std::uint8_t>(y / 4 + ((random >> 8) & 15));
            }
        TBitmap b;
        b.Assign(std::move(pixels));
        return b;
    }();
    return photo;
}

void BM_BitmapForPdfThroughRaster(benchmark::State& state) {
    const int w = state.range(0) ? 750 : 875, h = state.range(0) ? 600 : 700;
    for (auto _ : state) {
        const TMaskedRaster drawn = DrawMasked(Photo(), w, h);
        std::vector<std::uint8_t> jpeg = EncodeJpeg(drawn.Pixels, 90);
        benchmark::DoNotOptimize(jpeg.data());
    }
}
BENCHMARK(BM_BitmapForPdfThroughRaster)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_BitmapForPdfFromSurface(benchmark::State& state) {
    const int w = state.range(0) ? 750 : 875, h = state.range(0) ? 600 : 700;
    TSurfaceStore store;
    for (auto _ : state) {
        const TMaskedJpeg drawn = DrawMaskedJpeg(Photo(), w, h, 90, &store);
        benchmark::DoNotOptimize(drawn.Jpeg.data());
    }
}
BENCHMARK(BM_BitmapForPdfFromSurface)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
