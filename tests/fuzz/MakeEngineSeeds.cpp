// Writes the seed reports of the whole-engine fuzz target: every way a
// report places a picture (Draw, PrintBitmap, StretchBitmap, StretchDraw,
// pattern brushes, image data), with pictures of every kind (bitmaps of
// several depths and compressions, icons, placeable and plain Windows
// metafiles, enhanced metafiles), texts with macros and decoration, and texts
// of other code pages.
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>

#include "tests/pictures/MetafileSamples.h"
#include "tests/pictures/PictureBuilders.h"
#include "tools/ndrwriter/NdrWriter.h"
#include "tools/ndrwriter/SamplePictures.h"

using namespace tal::ndrwriter;

namespace {

void Save(const std::string& folder, const std::string& name, std::vector<std::uint8_t> bytes, std::uint8_t mode) {
    bytes.push_back(mode);  // the target reads the RTF picture form from the last byte
    std::ofstream(folder + "/" + name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> OnePage(const std::function<void(TNdrWriter&)>& body) {
    TNdrWriter w;
    w.BeginPage(1);
    body(w);
    w.EndPage();
    return w.Finish();
}

std::vector<std::uint8_t> Rle8Bitmap() {
    using namespace tal::pictest;
    TDibSpec s;
    s.Width = 6;
    s.Height = 3;
    s.BitCount = 8;
    s.Compression = 1;  // BI_RLE8
    for (int i = 0; i < 4; ++i) s.Palette.push_back(0x3060C0u * i);
    return BmpFile(DibHeader(s), {3, 1, 0, 3, 2, 3, 2, 0, 0, 0, 0, 2, 1, 1, 2, 3, 0, 1});
}

std::vector<std::uint8_t> FourBitBitmap() {
    using namespace tal::pictest;
    TDibSpec s;
    s.Width = 7;
    s.Height = 5;
    s.BitCount = 4;
    for (int i = 0; i < 16; ++i) s.Palette.push_back(0x102030u * i);
    return BmpFile(DibHeader(s), DibRows(s, [](int x, int y) { return std::uint32_t((x + y) % 16); }));
}

void Bitmaps(TNdrWriter& w) {
    const TGraphicData solid {1, SolidBitmap(5, 3, 0x3366CC)};
    const TGraphicData rle {1, Rle8Bitmap()};
    const TGraphicData four {1, FourBitBitmap(), true};
    w.Draw(solid, 1, 1);
    w.PrintBitmap(rle, 2, 1, 2, 2);
    w.StretchBitmap(four, 3, 1, 4, 2);
    w.StretchBitmap(four, 3, 3, 5, 4);  // shared: read from its first place
    w.StretchDraw(rle, 1, 5, 3, 6);
    const TGraphicData pattern {1, SolidBitmap(8, 8, 0x00FF00)};
    w.BrushBitmap(&pattern);
    w.Rectangle(1, 7, 3, 8);
}

void Icons(TNdrWriter& w) {
    const TGraphicData icon {3, HalfMaskedIcon(16, 0x00A000)};
    const TGraphicData alpha {3, HalfMaskedIcon(8, 0x0000FF, true)};
    w.Draw(icon, 1, 1);
    w.StretchDraw(icon, 2, 1, 3, 2);
    w.StretchDraw(alpha, 4, 1, 4.5f, 1.5f);
}

void Metafiles(TNdrWriter& w) {
    const TGraphicData placeable {2, RectangleMetafile(1440, 720), true};
    const TGraphicData wmf {2, tal::pictest::SampleWmf()};
    const TGraphicData emf {2, tal::pictest::SampleEmf()};
    w.Draw(placeable, 1, 1);
    w.StretchDraw(placeable, 1, 2, 3, 3);
    w.StretchDraw(wmf, 4, 2, 5, 3);
    w.StretchDraw(emf, 1, 4, 3, 5);
    w.Draw(emf, 4, 4);
    w.StretchDraw(wmf, 1, 6, 1, 6);  // no area
}

void TextsAndData(TNdrWriter& w) {
    w.SetFont({.Name = "Verdana", .SizeInches = 0.2f, .Bold = true});
    w.FontUnderline(true);
    w.FontStrikeOut(true);
    w.SetVariable("Total", "42 " + BuiltInMacro(11));
    w.PrintLeft(1, "Page " + BuiltInMacro(11) + " of " + BuiltInMacro(10) + " " + VariableMacro("total"), 1);
    w.PrintBlock(2, "a" + MarkGroup({{'B', "1"}, {'Z', "14"}}) + " b c", 1, 5, 33);
    w.TextRect(1, 3, 3, 4, 1, 3.5f, "clipped");
    w.PrintImageData({0xFF, 0xD8, 0xFF, 0xD9}, "JPG", 1, 5, 2, 6);
}

// Texts in other code pages, drawn in composite fonts: a two-byte trail byte
// "{", a lead byte that ends the text, a justified line without blanks.
void Charsets(TNdrWriter& w) {
    w.SetFont({.Name = "Verdana", .Charset = 204});
    w.PrintLeft(1, "\xCF\xF0\xE8\xE2\xE5\xF2", 1);
    w.PrintRight(1.5f, "\xCF\xF0\xE8", 7);
    w.SetFont({.Name = "Verdana", .Charset = 128});
    w.PrintLeft(2, "\x93\xFA\x96{ \x83J\x93", 1);
    w.PrintBlock(2.5f, "\x93\xFA\x96{\x8C\xEA", 1, 4, 33);
    w.TextRect(1, 3, 3, 4, 1, 3.5f, "\x93\xFA");
    w.FontUnderline(true);
    w.PrintCenter(4, "\x93\xFA\x96{", 4);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_engine_seeds FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    Save(folder, "bitmaps.ndr", OnePage(Bitmaps), 0);
    Save(folder, "icons.ndr", OnePage(Icons), 1);
    Save(folder, "metafiles-hex.ndr", OnePage(Metafiles), 0);
    Save(folder, "metafiles-binary.ndr", OnePage(Metafiles), 3);
    Save(folder, "texts.ndr", OnePage(TextsAndData), 2);
    Save(folder, "charsets.ndr", OnePage(Charsets), 0);
    return 0;
}
