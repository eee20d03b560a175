// Writes the seed reports of the RTF fuzz target: texts with every byte,
// odd font names, shapes with every pen and brush, pictures of every kind.
#include <cstdio>
#include <fstream>
#include <string>

#include "tests/pictures/MetafileSamples.h"
#include "tools/ndrwriter/NdrWriter.h"
#include "tools/ndrwriter/SamplePictures.h"

using namespace tal::ndrwriter;

namespace {

void Save(const std::string& folder, const std::string& name, std::vector<std::uint8_t> bytes, std::uint8_t mode) {
    bytes.push_back(mode);  // the fuzz target reads its settings from the last byte
    std::ofstream(folder + "/" + name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> Texts() {
    TNdrWriter w;
    w.BeginPage(1);
    TNdrWriter::TFontRecord font;
    font.Name = "Odd{Face};\\";
    w.SetFont(font);
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    w.PrintLeft(1, all, 1);
    w.FontName("Times New Roman");
    w.FontColor(static_cast<std::int32_t>(0xFF0080FFu));
    w.PrintCenter(2, "centre {braces}", 4);
    w.PrintRight(3, "right \\ slash", 7);
    w.PrintBlock(4, "justified words  with   gaps ", 1, 6);
    w.PrintBlock(5, "AB", 1, 2);
    w.FontFlagP(true);
    w.TextRect(1, 6, 3, 7, 1, 6.5f, "boxed");
    w.EndPage();
    w.BeginPage(2);
    w.PrintLeft(-1e30f, "far away", 1e30f);
    w.EndPage();
    return w.Finish();
}

std::vector<std::uint8_t> Shapes() {
    TNdrWriter w;
    w.BeginPage(1);
    for (int style = 0; style <= 7; ++style) {
        w.SetPen(0x102030 * style, 4, static_cast<std::uint8_t>(style), static_cast<float>(style) / 72);
        w.SetBrush(0x0000FF, static_cast<std::uint8_t>(style));
        w.Rectangle(1, 1 + style, 2, 1.5f + style);
        w.RoundRect(3, 1 + style, 4, 1.5f + style, 0.1f, 0.1f);
        w.Ellipse(5, 1 + style, 6, 1.5f + style);
        w.MoveTo(7, 1 + style);
        w.LineTo(8, 1.5f + style);
    }
    w.Arc(0, 0, 1, 1, 0, 0, 1, 1);
    w.Polygon({{0, 0}, {1, 1}, {0, 1}});
    w.EndPage();
    return w.Finish();
}

// An enhanced metafile that maps, transforms, clips and carries an EMF+ comment.
std::vector<std::uint8_t> MappedEmf() {
    using namespace tal::pictest;
    TEmfWriter w;
    w.SetHandles(4);
    EmfBrush(w, 1, BS_SOLID, 0x0000FF);
    EmfSelect(w, 1);
    TRecordData region;
    region.U32(48).U32(RGN_COPY).U32(32).U32(1).U32(1).U32(16);
    region.I32(0).I32(0).I32(100).I32(100).I32(0).I32(0).I32(100).I32(100);
    w.Add(TEmr::ExtSelectClipRgn, region);
    w.Add(TEmr::Comment, TRecordData().U32(8).U32(EmfPlusSignature).U32(0));
    w.Add(TEmr::SaveDC, {});
    EmfU32(w, TEmr::SetMapMode, MM_LOMETRIC);
    EmfBox(w, TEmr::Rectangle, 0, 0, 127, -127);
    EmfU32(w, TEmr::SetMapMode, MM_ISOTROPIC);
    EmfPair(w, TEmr::SetWindowExtEx, 200, 100);
    EmfPair(w, TEmr::SetViewportExtEx, 200, 100);
    w.Add(TEmr::ScaleViewportExtEx, TRecordData().I32(1).I32(2).I32(1).I32(1));
    w.Add(TEmr::ScaleWindowExtEx, TRecordData().I32(3).I32(2).I32(1).I32(1));
    EmfPair(w, TEmr::SetViewportOrgEx, 0, 50);
    EmfPair(w, TEmr::SetWindowOrgEx, 10, 0);
    EmfXform(w, TEmr::ModifyWorldTransform, 1, 0.5f, 0, 1, 10, 0, MWT_RIGHTMULTIPLY);
    EmfXform(w, TEmr::SetWorldTransform, 2, 0, 0, 2, 0, 0);
    EmfBox(w, TEmr::Ellipse, 100, 0, 200, 100);
    w.Add(TEmr::RestoreDC, TRecordData().I32(-1));
    EmfBox(w, TEmr::Rectangle, 10, 10, 20, 20);
    return FinishEmf(w);
}

std::vector<std::uint8_t> Pictures() {
    TNdrWriter w;
    w.BeginPage(1);
    w.StretchBitmap({1, SolidBitmap(5, 3, 0x3366CC), false}, 1, 1, 2, 2);
    w.StretchDraw({2, RectangleMetafile(1440, 720), true}, 1, 3, 3, 4);
    w.StretchDraw({2, tal::pictest::SampleWmf(), false}, 4, 3, 5, 4);
    w.StretchDraw({2, tal::pictest::SampleEmf(), false}, 4, 5, 6, 6);
    w.StretchDraw({2, MappedEmf(), false}, 1, 8, 3, 9);
    w.StretchDraw({3, HalfMaskedIcon(16, 0x00A000), false}, 6, 1, 6.5f, 1.5f);
    w.StretchDraw({2, RectangleMetafile(1440, 720), true}, 1, 7, 1, 7);
    w.EndPage();
    return w.Finish();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_rtf_seeds FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    Save(folder, "texts.ndr", Texts(), 0);
    Save(folder, "shapes.ndr", Shapes(), 4);
    Save(folder, "pictures-wmf-hex.ndr", Pictures(), 0);
    Save(folder, "pictures-emf-binary.ndr", Pictures(), 3);
    return 0;
}
