// Text in a face that is not installed is measured with the widths of the
// standard font the PDF engine draws it with; installed faces go to the
// font engine.
#include <gtest/gtest.h>

#include "platform/fonts/DrawnFontMeasure.h"
#include "platform/fonts/StandardFonts.h"

namespace tal {
namespace {

// Knows one TrueType face, "Installed Face"; counts the questions asked.
class TCountingEngine final : public TFontEngine {
public:
    long TextWidthPixels(const TFont&, int, std::string_view text) override {
        ++Measured;
        return static_cast<long>(text.size()) * 1000;
    }
    bool IsTrueTypeFace(std::string_view faceName, TFontStyles) override {
        ++Asked;
        if (faceName == "Broken Face") throw EFontError("cannot open Broken Face");
        return SameAsciiTextIgnoringCase(faceName, "Installed Face");
    }
    TOutlineMetrics GetOutlineMetrics(std::string_view, TFontStyles) override { return {}; }
    std::vector<TABCWidth> GetCharABCWidths(std::string_view, TFontStyles, int, int) override { return {}; }
    std::vector<std::uint8_t> GetFontData(std::string_view, TFontStyles) override { return {}; }

    int Asked = 0;
    int Measured = 0;
};

TFont Font(const std::string& name, int size, TFontStyles style = 0) {
    TFont font;
    font.SetName(name);
    font.SetSize(size);
    font.SetStyle(style);
    return font;
}

TEST(DrawnFontMeasure, FacesThatAreNotInstalledMeasureWithTheStandardWidths) {
    TCountingEngine engine;
    TDrawnFontMeasure measure(engine);
    // 12 points at 1248 ppi is 208 pixels an em; Helvetica's T o t a l are
    // 611 556 278 556 222 thousandths: 127 + 116 + 58 + 116 + 46 pixels.
    EXPECT_EQ(measure.TextWidthPixels(Font("Verdana", 12), 1248, "Total"), 463);
    // Bold: Helvetica-Bold's 611 611 333 556 278 -> 127 + 127 + 69 + 116 + 58.
    EXPECT_EQ(measure.TextWidthPixels(Font("Verdana", 12, fsBold), 1248, "Total"), 497);
    // Times and Courier names keep their own standard fonts when not installed.
    EXPECT_EQ(measure.TextWidthPixels(Font("Times New Roman", 12), 1248, "T"), 127);  // 611
    EXPECT_EQ(measure.TextWidthPixels(Font("Courier New", 10), 1248, "ab"), 208);     // 600 at 173 ppem: 104 each
    EXPECT_EQ(measure.TextWidthPixels(Font("Broken Face", 12), 1248, "l"), 46);
    EXPECT_EQ(engine.Measured, 0);

    // Installed faces, sizes that ask for a cell height and size 0 go to the engine.
    EXPECT_EQ(measure.TextWidthPixels(Font("Installed Face", 12), 1248, "ab"), 2000);
    EXPECT_EQ(measure.TextWidthPixels(Font("Verdana", -12), 1248, "ab"), 2000);
    EXPECT_EQ(measure.TextWidthPixels(Font("Verdana", 0), 1248, "ab"), 2000);
    EXPECT_EQ(engine.Measured, 3);
}

TEST(DrawnFontMeasure, AsksTheEngineOncePerFaceAndShape) {
    TCountingEngine engine;
    TDrawnFontMeasure measure(engine);
    for (int i = 0; i < 3; ++i) {
        measure.TextWidthPixels(Font("Verdana", 12), 1248, "x");
        measure.TextWidthPixels(Font("VERDANA", 14, fsUnderline), 1248, "x");  // underline is no other shape
        measure.TextWidthPixels(Font("Verdana", 12, fsItalic), 1248, "x");
    }
    EXPECT_EQ(engine.Asked, 2);
}

TEST(StandardFonts, FixedNamesAndTheHelveticaFallback) {
    EXPECT_EQ(FixedStandardFontName("courier new", fsBold | fsItalic), "Courier-BoldOblique");
    EXPECT_EQ(FixedStandardFontName("TimesRoman", fsItalic), "Times-Italic");
    EXPECT_EQ(FixedStandardFontName("Symbol", fsBold), "Symbol");
    EXPECT_EQ(FixedStandardFontName("Arial Black", 0), "");
    EXPECT_EQ(DrawnStandardFontName("Arial Black", fsBold), "Helvetica-Bold");
    EXPECT_EQ(DrawnStandardFontName("ZapfDingbats", fsBold), "ZapfDingbats");
}

}  // namespace
}  // namespace tal
