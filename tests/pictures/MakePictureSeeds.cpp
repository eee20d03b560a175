// Writes the seed corpora of the picture fuzz targets: small bitmaps of every
// depth and compression, icons, and metafiles covering the records the player
// knows. Run once; the files are kept in the repository.
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/pictures/Dib.h"
#include "tests/pictures/MetafileSamples.h"
#include "tests/pictures/PictureBuilders.h"
#include "tools/ndrwriter/SampleChart.h"

using namespace tal::pictest;

namespace {

void Write(const std::filesystem::path& folder, const std::string& name, const TBytes& bytes) {
    std::filesystem::create_directories(folder);
    std::ofstream(folder / name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

TBytes Bmp(int bpp, std::uint32_t compression, std::uint32_t header, bool topDown) {
    TDibSpec s;
    s.Width = 5;
    s.Height = 3;
    s.BitCount = bpp;
    s.Compression = compression;
    s.HeaderSize = header;
    s.TopDown = topDown;
    if (bpp <= 8)
        for (int i = 0; i < (1 << bpp) && i < 16; ++i) s.Palette.push_back(0x102030u * i);
    if (compression == BI_BITFIELDS) s.Masks = bpp == 16 ? std::vector<std::uint32_t>{0xF800, 0x07E0, 0x001F}
                                                         : std::vector<std::uint32_t>{0xFF0000, 0xFF00, 0xFF};
    if (compression == BI_RLE8) return BmpFile(DibHeader(s), {3, 1, 0, 3, 2, 3, 2, 0, 0, 0, 0, 2, 1, 1, 2, 3, 0, 1});
    if (compression == BI_RLE4) return BmpFile(DibHeader(s), {5, 0x12, 0, 0, 0, 3, 0x30, 0x30, 0, 1});
    return BmpFile(DibHeader(s), DibRows(s, [](int x, int y) { return std::uint32_t(x * 7 + y * 3); }));
}

}  // namespace

int main(int argc, char** argv) {
    const std::filesystem::path root = argc > 1 ? argv[1] : "tests/fuzz/corpus";
    int n = 0;
    for (int bpp : {1, 4, 8, 16, 24, 32})
        for (std::uint32_t header : {12u, 40u, 124u})
            if (!(header == 12 && (bpp == 16 || bpp == 32)))
                Write(root / "dib", "rgb" + std::to_string(bpp) + "_" + std::to_string(header) + ".bmp",
                      Bmp(bpp, BI_RGB, header, header == 124));
    Write(root / "dib", "rle8.bmp", Bmp(8, BI_RLE8, 40, false));
    Write(root / "dib", "rle4.bmp", Bmp(4, BI_RLE4, 40, false));
    Write(root / "dib", "bitfields16.bmp", Bmp(16, BI_BITFIELDS, 40, false));
    Write(root / "dib", "bitfields32_v4.bmp", Bmp(32, BI_BITFIELDS, 108, true));

    TDibSpec s;
    s.Width = 8;
    s.Height = 8;
    s.HeightFactor = 2;
    for (int bpp : {1, 4, 8, 24, 32}) {
        s.BitCount = bpp;
        s.Palette.clear();
        if (bpp <= 8) s.Palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
        const TBytes image = Concat(Concat(DibHeader(s), DibRows(s, [](int x, int y) { return std::uint32_t(x ^ y); })),
                                    IconMask(8, 8, [](int x, int) { return x < 3; }));
        Write(root / "icon", "icon" + std::to_string(bpp) + ".ico", IconFile({{8, 8, bpp, image}}));
        ++n;
    }

    Write(root / "metafile", "sample.wmf", SampleWmf());
    Write(root / "metafile", "sample.emf", SampleEmf());
    TEmfWriter e;
    e.SetHandles(3);
    EmfU32(e, TEmr::SetMapMode, MM_ANISOTROPIC);
    EmfPair(e, TEmr::SetWindowExtEx, 1000, 1000);
    EmfPair(e, TEmr::SetViewportExtEx, 100, 100);
    EmfXform(e, TEmr::SetWorldTransform, 1, 0.2f, -0.2f, 1, 5, 5);
    e.Add(TEmr::SaveDC, {});
    EmfBox(e, TEmr::IntersectClipRect, 0, 0, 800, 800);
    EmfBox(e, TEmr::ExcludeClipRect, 100, 100, 200, 200);
    EmfBrush(e, 1, BS_HATCHED, 0xFF, HS_DIAGCROSS);
    EmfSelect(e, 1);
    e.Add(TEmr::RoundRect, RectL(0, 0, 900, 600).I32(100).I32(100));
    e.Add(TEmr::RestoreDC, TRecordData().I32(-1));
    e.Add(TEmr::ExtSelectClipRgn, TRecordData().U32(48).U32(RGN_COPY).U32(32).U32(1).U32(1).U32(16)
                                       .Bytes(RectL(0, 0, 50, 50).Data()).Bytes(RectL(0, 0, 50, 50).Data()));
    e.Add(TEmr::AngleArc, TRecordData().I32(500).I32(500).U32(300).F32(10).F32(200));
    e.Add(TEmr::Chord, RectL(100, 100, 900, 900).I32(900).I32(500).I32(500).I32(100));
    EmfPoints(e, TEmr::PolylineTo16, {{10, 10}, {900, 10}}, true);
    e.Add(TEmr::ExtCreatePen, TRecordData().U32(2).U32(0).U32(0).U32(0).U32(0).U32(PS_GEOMETRIC | PS_USERSTYLE)
                                   .U32(20).U32(BS_SOLID).U32(0xFF00).U32(0).U32(2).U32(30).U32(10));
    EmfSelect(e, 2);
    e.Add(TEmr::PolyPolyline16, RectL(0, 0, 0, 0).U32(2).U32(4).U32(2).U32(2).I16(0).I16(0).I16(900).I16(900)
                                    .I16(0).I16(900).I16(900).I16(0));
    Write(root / "metafile", "mapping.emf", FinishEmf(e));
    TWmfWriter b;
    b.SetObjectCount(3);
    b.Add(TWmf::SetWindowExt, {100, 100});
    b.Add(TWmf::BitBlt, TRecordData().U32(SRCCOPY).I16(0).I16(0).I16(1).I16(8).I16(0).I16(0)
                            .I16(0).I16(8).I16(1).I16(2).U8(1).U8(1).U8(0x55).U8(0));
    TDibSpec two;
    two.Width = 2;
    two.Height = 2;
    b.Add(TWmf::StretchDIB, TRecordData().U32(SRCINVERT).U16(0).I16(2).I16(2).I16(0).I16(0).I16(50).I16(50).I16(0)
                                .I16(0).Bytes(Concat(DibHeader(two), DibRows(two, [](int x, int) { return x ? 0xFFu : 0u; }))));
    b.Add(TWmf::CreateRegion, TRecordData().U16(0).U16(6).U32(0).I16(0).U16(1).U16(0).I16(0).I16(0).I16(80).I16(50)
                                  .U16(2).I16(0).I16(50).I16(0).I16(20).U16(2));
    WmfBrush(b, BS_HATCHED, 0xFF00, HS_BDIAGONAL);
    b.Add(TWmf::FillRegion, {0, 1});
    b.Add(TWmf::SelectClipRegion, {0});
    b.Add(TWmf::Arc, {0, 50, 50, 100, 100, 100, 0, 0});
    b.Add(TWmf::Chord, {0, 50, 50, 100, 100, 100, 0, 0});
    b.Add(TWmf::SetTextAlign, {TA_CENTER | TA_BOTTOM});
    b.Add(TWmf::ExtTextOut, TRecordData().I16(20).I16(20).U16(2).U16(ETO_OPAQUE | ETO_CLIPPED).I16(10).I16(10)
                                .I16(90).I16(30).Bytes("ab").I16(8).I16(8));
    Write(root / "metafile", "blits.wmf", b.Finish(false));
    // The translation into Windows metafile records also takes the
    // enhanced metafiles of the metafile corpus.
    Write(root / "emf_to_wmf", "chart.emf", tal::ndrwriter::SampleChartEmf(6, 4, 1));
    return n > 0 ? 0 : 1;
}
