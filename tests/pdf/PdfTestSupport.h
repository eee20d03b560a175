#pragma once
// Converting reports made with the NDR writer into PDF bytes, with a fixed
// clock, fixed text measuring and a font engine whose answers do not depend
// on the fonts installed, and reading parts of the result back.
#include <functional>
#include <string>
#include <vector>

#include "pdf/RpRenderPDF.h"
#include "platform/fonts/FontEngine.h"
#include "tools/ndrwriter/NdrWriter.h"

namespace tal::testing {

// A font engine that knows one TrueType face, "Verdana" (any style, also
// as "Verdana,Bold" ...), with made-up metrics; "Broken Face" is reported as
// TrueType but cannot be opened; "Locked Face" forbids embedding. Every
// other name is no TrueType face.
class TFakeFontEngine final : public TFontEngine {
public:
    long TextWidthPixels(const TFont& font, int pixelsPerInch, std::string_view text) override;
    bool IsTrueTypeFace(std::string_view faceName, TFontStyles style) override;
    TOutlineMetrics GetOutlineMetrics(std::string_view faceName, TFontStyles style) override;
    std::vector<TABCWidth> GetCharABCWidths(std::string_view faceName, TFontStyles style, int first,
                                            int last) override;
    std::vector<std::uint8_t> GetFontData(std::string_view faceName, TFontStyles style) override;

    int Ascent = 905;
    int FirstChar = 32;
    int LastChar = 255;
};

struct TPdfResult {
    std::string Bytes;
    std::string Error;  // the message of the error the conversion raised, if any
};

using TSetup = std::function<void(TRvRenderPDF&)>;

// Converts the report with the component's own defaults (EmbedFonts false),
// the fake font engine and half-em text measuring.
TPdfResult ConvertReport(const std::vector<std::uint8_t>& ndr, const TSetup& setup = {});

// The bytes of the index-th stream of the document (0: page 1's content).
std::string StreamData(const std::string& pdf, int index);
// Lines of a text without their CR LF.
std::vector<std::string> Lines(const std::string& text);
// The content lines of page 1 after its first line "2 J".
std::vector<std::string> PageOneLines(const std::string& pdf);
// The text of object n, from "n 0 obj" to the end of its "endobj" line.
std::string ObjectText(const std::string& pdf, int number);

// A report with one page whose drawing the callback adds.
std::vector<std::uint8_t> OnePage(const std::function<void(ndrwriter::TNdrWriter&)>& draw,
                                  ndrwriter::THeaderFields header = {});

// The standard 12-point black Arial font record.
ndrwriter::TNdrWriter::TFontRecord Arial(float points = 12);

std::string ReadFileText(const std::string& path);
// Compares with the golden file, or writes it when TAL_UPDATE_GOLDEN is set.
void ExpectGolden(const std::string& name, const std::string& bytes);

// What a shell command printed (stdout and stderr together) and its status.
struct TRun {
    int Status = -1;
    std::string Output;
};
TRun RunCommand(const std::string& command);
// Whether the shell finds the program.
bool HasTool(const std::string& tool);

}  // namespace tal::testing

namespace tal::testing {

struct TNamedReport {
    std::string Name;
    std::vector<std::uint8_t> Bytes;
    TSetup Setup;
};

// Six boxes of 1 inch, one per hatch style in HatchColour, from 1 to 2
// inches down the page, at HatchBoxLeft(style) inches; a band of
// HatchBandColour from 1.5 to 2.5 inches down, across the page, lies under
// their lower halves. Below them more hatched shapes with pens.
std::vector<std::uint8_t> Hatches();
inline constexpr std::int32_t HatchColour = 0xFF0000;      // blue
inline constexpr std::int32_t HatchBandColour = 0x00FFFF;  // yellow
inline constexpr float HatchBoxLeft(std::uint8_t style) { return 0.5f + 1.25f * static_cast<float>(style - 2); }

// Reports that use every drawing, text and picture operation between them;
// the golden files and the real-reader checks share them.
std::vector<TNamedReport> FeatureReports();

}  // namespace tal::testing
