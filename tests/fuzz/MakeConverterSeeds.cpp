// Writes the seed reports of the converter's fuzz corpus: every command,
// every format version, shared pictures, stored-elsewhere variables and
// format marks, each in a small file.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "tools/ndrwriter/NdrWriter.h"
#include "tools/ndrwriter/SamplePictures.h"

using namespace tal::ndrwriter;

namespace {

void Save(const std::filesystem::path& folder, const std::string& name, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(folder / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> Report(std::uint16_t version, int pages, const std::function<void(TNdrWriter&)>& body) {
    THeaderFields fields;
    fields.Version = version;
    TNdrWriter w(fields);
    for (int p = 1; p <= pages; ++p) {
        w.BeginPage(static_cast<std::int16_t>(p), 8.5f, p % 2 ? 11.0f : 14.0f);
        body(w);
        w.EndPage();
    }
    return w.Finish();
}

void Shapes(TNdrWriter& w) {
    w.SetPen(0x102030, 4, 1, 0.01f);
    w.PenWidth(0.02f);
    w.SetBrush(0x00FF00, 2);
    w.FrameMode(1);
    w.Arc(1, 1, 2, 2, 1, 1.5f, 2, 1.5f);
    w.Chord(1, 1, 2, 2, 1, 1.5f, 2, 1.5f);
    w.Pie(1, 1, 2, 2, 1, 1.5f, 2, 1.5f);
    w.Ellipse(1, 1, 2, 2);
    w.Rectangle(1, 1, 2, 2);
    w.RoundRect(1, 1, 2, 2, 0.2f, 0.2f);
    w.FillRect(1, 1, 2, 2);
    w.MoveTo(1, 1);
    w.LineTo(2, 2);
    w.Polygon({{1, 1}, {2, 1}, {1.5f, 2}});
    w.Polyline({{1, 1}, {2, 1}});
    w.Polyline({});
}

void Texts(TNdrWriter& w) {
    w.SetFont({.Name = "Arial", .SizeInches = 0.15f, .Bold = true, .Rotation = 0});
    w.FontName("Times New Roman");
    w.FontSize(0.2f, 0);
    w.FontItalic(true);
    w.FontUnderline(true);
    w.FontFlagP(true);
    w.FontRotation(45);
    w.SetVariable("Total", "42");
    w.SetVariableStoredElsewhere("Far", "away");
    w.PrintLeft(1, "Page " + BuiltInMacro(11) + " of " + BuiltInMacro(10) + " " + VariableMacro("total"), 1);
    w.PrintCenter(2, "a" + MarkGroup({{'B', "1"}, {'Z', "14"}}) + "b c" + MarkGroup({{'R', ""}}) + "d", 4);
    w.PrintRight(3, BuiltInMacro(0) + BuiltInMacro(6) + VariableMacro("Far"), 7);
    w.PrintBlock(4, "one two three", 1, 5);
    w.PrintBlock(5, "x" + MarkGroup({{'I', "1"}}) + " y z", 1, 5, 33);
    w.TextRect(1, 6, 3, 7, 1, 6.5f, "clipped text");
    for (std::uint8_t code : {2, 4, 6, 9, 10, 26, 27, 28, 29, 30, 31, 34, 83, 84, 85, 86, 87, 88}) w.IgnoredCommand(code);
}

void Pictures(TNdrWriter& w) {
    const TGraphicData bitmap {1, SolidBitmap(3, 2, 0x0000FF)};
    const TGraphicData metafile {2, RectangleMetafile(1440, 720), true};
    const TGraphicData icon {3, HalfMaskedIcon(4, 0x00FF00)};
    w.Draw(metafile, 1, 1);
    w.Draw(metafile, 2, 2);
    w.PrintBitmap(bitmap, 1, 1, 1, 1);
    w.StretchBitmap(bitmap, 1, 1, 2, 2);
    w.StretchDraw(icon, 1, 1, 2, 2);
    w.PrintImageData({1, 2, 3}, "JPG", 1, 1, 2, 2);
    const TGraphicData pattern {1, SolidBitmap(8, 8, 0xFFFFFF), true};
    w.BrushBitmap(&pattern);
    w.BrushColor(0xFF);
    w.BrushStyle(0);
}

// A variable whose value is one letter and twelve markers for itself,
// printed twenty times: each text reaches a bound of its expansion and then
// holds well over a thousand markers to remove.
void MacroChain(TNdrWriter& w) {
    std::string value = "a";
    for (int k = 0; k < 12; ++k) value += VariableMacro("X");
    w.SetVariable("X", value);
    w.SetFont({.Name = "Arial", .SizeInches = 0.1f});
    for (int line = 0; line < 20; ++line) w.PrintLeft(1.0f + 0.4f * line, VariableMacro("X"), 1);
}

// A font of 1e30 inches, underlined and struck out: the largest 32-bit size.
void HugeFont(TNdrWriter& w) {
    w.SetFont({.Name = "Arial", .SizeInches = 1e30f});
    w.FontUnderline(true);
    w.FontStrikeOut(true);
    w.PrintLeft(1, "x", 1);
    w.PrintBlock(2, "a b", 1, 5);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: make_converter_seeds FOLDER\n", stderr);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    for (std::uint16_t version : {1101, 2009, 2010, 2016, 2018}) {
        const std::string v = std::to_string(version);
        Save(folder, "shapes-" + v + ".ndr", Report(version, 2, Shapes));
        Save(folder, "texts-" + v + ".ndr", Report(version, 3, Texts));
    }
    Save(folder, "pictures.ndr", Report(2018, 1, Pictures));
    Save(folder, "empty.ndr", Report(2018, 0, [](TNdrWriter&) {}));
    Save(folder, "macro-chain.ndr", Report(2018, 1, MacroChain));
    Save(folder, "huge-font.ndr", Report(2018, 1, HugeFont));
    Save(folder, "long-text.ndr", Report(2018, 1, [](TNdrWriter& w) { w.PrintLeft(1, std::string(400, 'w'), 1); }));
    return 0;
}
