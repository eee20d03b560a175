#include "tests/pdf/PdfTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <fstream>
#include <sstream>

#include "tests/render/ConversionHarness.h"

namespace tal::testing {

namespace {

std::string BaseName(std::string_view faceName) {
    std::string name(faceName.substr(0, faceName.find(',')));
    return name;
}

}  // namespace

long TFakeFontEngine::TextWidthPixels(const TFont& font, int pixelsPerInch, std::string_view text) {
    return static_cast<long>(text.size()) * (font.Size() * pixelsPerInch / 72 / 2);
}

bool TFakeFontEngine::IsTrueTypeFace(std::string_view faceName, TFontStyles) {
    const std::string name = BaseName(faceName);
    return SameTextIgnoringCase(name, "Verdana") || SameTextIgnoringCase(name, "Broken Face") ||
           SameTextIgnoringCase(name, "BrokenFace") || SameTextIgnoringCase(name, "Locked Face") ||
           SameTextIgnoringCase(name, "LockedFace");
}

TOutlineMetrics TFakeFontEngine::GetOutlineMetrics(std::string_view faceName, TFontStyles) {
    if (BaseName(faceName).rfind("Broken", 0) == 0) throw EFontError("Cannot open the font " + std::string(faceName));
    TOutlineMetrics m;
    m.FirstChar = FirstChar;
    m.LastChar = LastChar;
    m.Ascent = Ascent;
    m.Descent = 212;
    m.InternalLeading = 117;
    m.ExternalLeading = 33;
    m.AveCharWidth = 508;
    m.MaxCharWidth = 1566;
    m.PitchAndFamily = TMPF_TRUETYPE | TMPF_VECTOR;
    m.PanoseFamilyType = 2;
    m.PanoseProportion = 3;
    m.FsType = BaseName(faceName).rfind("Locked", 0) == 0 ? 3 : 0;
    m.FontBox = TFontBox {-560, 1006, 1523, -240};
    return m;
}

std::vector<TABCWidth> TFakeFontEngine::GetCharABCWidths(std::string_view, TFontStyles, int first, int last) {
    std::vector<TABCWidth> widths;
    for (int code = first; code <= last; ++code) widths.push_back(TABCWidth {10, 300 + code, 40});
    return widths;
}

std::vector<std::uint8_t> TFakeFontEngine::GetFontData(std::string_view, TFontStyles) {
    static const char program[] = "\x00\x01\x00\x00 not really a font program";
    return {program, program + sizeof program - 1};
}

TPdfResult ConvertReport(const std::vector<std::uint8_t>& ndr, const TSetup& setup) {
    static TFakeFontEngine fonts;
    static THalfEmEngine measure;
    TRvRenderPDF render;
    render.FFontEngine = &fonts;
    render.FTextMeasure = &measure;
    render.Clock = [] { return TDateTime {2026, 3, 4, 13, 5, 9, 0}; };
    if (setup) setup(render);
    TMemoryStream report(ndr), output;
    TPdfResult result;
    try {
        render.SetOutputStream(&output);
        render.FInputStream = &report;
        render.ConvertPages(0);
    } catch (const std::exception& error) {
        result.Error = error.what();
    }
    result.Bytes.assign(reinterpret_cast<const char*>(output.Data()), static_cast<std::size_t>(output.Size()));
    return result;
}

std::string StreamData(const std::string& pdf, int index) {
    std::size_t at = 0;
    for (int i = 0; i <= index; ++i) {
        at = pdf.find("\r\nstream\r\n", at);
        if (at == std::string::npos) return {};
        at += 10;
    }
    const std::size_t dict = pdf.rfind("/Length ", at);
    const long length = std::strtol(pdf.c_str() + dict + 8, nullptr, 10);
    return pdf.substr(at, static_cast<std::size_t>(length));
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

std::vector<std::string> PageOneLines(const std::string& pdf) {
    std::vector<std::string> lines = Lines(StreamData(pdf, 0));
    if (!lines.empty() && lines.front() == "2 J") lines.erase(lines.begin());
    return lines;
}

std::string ObjectText(const std::string& pdf, int number) {
    const std::string head = "\r\n" + std::to_string(number) + " 0 obj\r\n";
    const std::size_t at = pdf.find(head);
    if (at == std::string::npos) return {};
    const std::size_t end = pdf.find("endobj\r\n", at);
    return pdf.substr(at + 2, end + 8 - at - 2);
}

std::vector<std::uint8_t> OnePage(const std::function<void(ndrwriter::TNdrWriter&)>& draw,
                                  ndrwriter::THeaderFields header) {
    ndrwriter::TNdrWriter writer(std::move(header));
    writer.BeginPage(1);
    draw(writer);
    writer.EndPage();
    return writer.Finish();
}

ndrwriter::TNdrWriter::TFontRecord Arial(float points) {
    ndrwriter::TNdrWriter::TFontRecord font;
    font.Name = "Arial";
    font.SizeInches = points / 72.0f;
    return font;
}

std::string ReadFileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void ExpectGolden(const std::string& name, const std::string& bytes) {
    const std::string path = std::string(TAL_SOURCE_DIR) + "/tests/pdf/golden/" + name;
    if (std::getenv("TAL_UPDATE_GOLDEN")) {
        std::ofstream(path, std::ios::binary) << bytes;
        return;
    }
    const std::string expected = ReadFileText(path);
    ASSERT_FALSE(expected.empty()) << "missing golden file " << path << " (set TAL_UPDATE_GOLDEN=1 to write it)";
    EXPECT_TRUE(expected == bytes) << "document differs from " << path;
}

TRun RunCommand(const std::string& command) {
    TRun run;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen((command + " 2>&1").c_str(), "r"), pclose);
    if (!pipe) return run;
    std::array<char, 4096> buffer;
    while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe.get())) run.Output.append(buffer.data(), n);
    run.Status = pclose(pipe.release());
    return run;
}

bool HasTool(const std::string& tool) { return RunCommand("command -v " + tool).Status == 0; }

}  // namespace tal::testing
