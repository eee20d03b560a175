#pragma once
// Converting a report made with the writer through the call-log renderer,
// so that tests compare the exact sequence of renderer calls.
#include <memory>
#include <string>
#include <vector>

#include "platform/Stream.h"
#include "tools/ndrdump/CallLogRender.h"
#include "tools/ndrwriter/NdrWriter.h"

namespace tal::testing {

// Measures every byte as half an em wide, so that widths are easy to
// compute by hand: a 12-point font is 104 pixels a character at 1248 ppi.
class THalfEmEngine final : public TTextMeasure {
public:
    long TextWidthPixels(const TFont& font, int pixelsPerInch, std::string_view text) override {
        // In 64 bits: a report may ask for any font size.
        return static_cast<long>(text.size()) * (static_cast<long>(font.Size()) * pixelsPerInch / 72 / 2);
    }
};

struct TConversion {
    std::vector<std::string> Lines;
    std::string Error;  // the message of the error the conversion raised, if any
};

class TLogHarness {
public:
    TLogHarness() : Render([this](const std::string& line) { Result.Lines.push_back(line); }) {
        Render.FTextMeasure = &Engine;
        Render.Clock = [] { return TDateTime {2026, 3, 4, 13, 5, 9, 0}; };
    }

    // pageNo 0: the whole report (or the selection); N: page N only.
    TConversion Convert(const std::vector<std::uint8_t>& bytes, std::int32_t pageNo = 0) {
        Result = {};
        TMemoryStream report(bytes);
        try {
            Render.FInputStream = &report;
            Render.ConvertPages(pageNo);
        } catch (const std::exception& error) {
            Result.Error = error.what();
        }
        return Result;
    }

    THalfEmEngine Engine;
    TConversion Result;
    TCallLogRender Render;
};

// Only the lines that start with one of the prefixes.
std::vector<std::string> Only(const std::vector<std::string>& lines, std::initializer_list<std::string> prefixes);

}  // namespace tal::testing
