#pragma once
// Converting reports with the RTF renderer in tests: whole reports made with
// the NDR writer, or single renderer operations on a converter's drawing
// state. Text is measured as half an em a byte, so widths are easy to count.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "render/RpConverter.h"
#include "rtf/RpRenderRTF.h"
#include "tests/render/ConversionHarness.h"

namespace tal::testing {

struct TRtfConversion {
    std::string Rtf;
    std::string Error;  // the message of the error the conversion raised, if any
};

// Converts the whole report into memory; setup may change the renderer first.
TRtfConversion ConvertToRtf(const std::vector<std::uint8_t>& report,
                            const std::function<void(TRvRenderRTF&)>& setup = {});

// A renderer inside a document, driven operation by operation with the
// drawing state of a converter over a one-page report.
class TRtfOperations {
public:
    TRtfOperations();
    ~TRtfOperations();
    // What the operations have written into the body so far.
    std::string Body() const;
    // Ends the document and returns all of it.
    std::string Finish();

    THalfEmEngine Engine;
    TRvRenderRTF Render;
    TMemoryStream Output;
    std::unique_ptr<TMemoryStream> Report;
    std::unique_ptr<TRPConverter> Converter;
};

// True when every "{" not escaped by "\" has its "}" and no group closes
// before it opens. Picture data after "\binN " is skipped as the reader does.
bool BracesBalanced(const std::string& rtf);

// One page in 12-point Arial, black on white, drawn by draw.
std::vector<std::uint8_t> OnePage(const std::function<void(ndrwriter::TNdrWriter&)>& draw);

std::string Hex(const std::uint8_t* data, std::size_t size);
std::size_t Count(const std::string& text, const std::string& what);

}  // namespace tal::testing
