#pragma once
// The command line of both engine programs, parsed, and the factory through
// which a program makes its configured renderer.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "render/RpRender.h"

namespace tal::front {

enum class TImageOutputChoice { Default, HigherQuality, SmallerSize };
enum class TImageEncodingChoice { Default, Hex, Binary };

struct TEngineOptions {
    std::vector<std::string> Arguments;  // positional: REPORT.ndr Convert, FOLDER View, or REPORT.ndr with -o
    std::string Output;                  // -o: convert without a dialog
    std::string Pages;                   // page selection; empty converts every page
    bool Compress = false;               // PDF: FlateDecode through OnCompress
    bool NoSubset = false;               // PDF: embed whole font programs
    TImageOutputChoice ImageOutput = TImageOutputChoice::Default;        // RTF
    TImageEncodingChoice ImageEncoding = TImageEncodingChoice::Default;  // RTF
    bool Console = false;
    bool Quiet = false;

    bool NonInteractive() const { return !Output.empty(); }
};

// Makes the engine's renderer with the settings of its dialog, changed only
// where the options ask for it. EngineMain sets the page selection itself.
using TRendererFactory = std::function<std::unique_ptr<TRPRender>(const TEngineOptions&)>;

}  // namespace tal::front
