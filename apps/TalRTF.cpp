// TalRTF: the RTF engine. Tallow starts it as "TalRTF REPORT Convert" or
// "TalRTF FOLDER View" (the dialogs); "TalRTF -o OUT REPORT.ndr" converts
// without a dialog and reports through its exit status:
// 0 written, 1 conversion failed (the error's message on stderr), 2 usage.
#include <CLI/CLI.hpp>

#include <exception>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "platform/Stream.h"
#include "rtf/RpRenderRTF.h"

namespace {

constexpr const char* ApplicationTitle = "Tallow RTF Engine";
constexpr const char* Version = "TalRTF 1.0.0";

struct TOptions {
    std::string Report, Output, Pages;
    tal::TImageOutput ImageOutput = tal::TImageOutput::ioHigherQuality;
    tal::TImageEncoding ImageEncoding = tal::TImageEncoding::ieHex;
    bool Quiet = false;
};

int Convert(const TOptions& options) {
    // The renderer's defaults are the engine form's settings.
    tal::TRvRenderRTF render;
    render.ImageOutput = options.ImageOutput;
    render.ImageEncoding = options.ImageEncoding;
    render.FPageSelection = options.Pages;
    try {
        tal::TMemoryStream stream;
        stream.LoadFromFile(options.Report);
        render.RenderToFile(stream, options.Output);
    } catch (const std::exception& error) {
        std::cerr << error.what() << "\n";
        return 1;
    }
    if (!options.Quiet)
        std::cout << "RTF File - \"" << render.WithDefaultExtension(options.Output) << "\" - rendered successfully!\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app {std::string(ApplicationTitle) + ": converts a Tallow NDR report into an RTF document", "TalRTF"};
    TOptions options;
    std::vector<std::string> positional;
    const std::map<std::string, tal::TImageOutput> outputs {{"higher", tal::TImageOutput::ioHigherQuality},
                                                            {"smaller", tal::TImageOutput::ioSmallerSize}};
    const std::map<std::string, tal::TImageEncoding> encodings {{"hex", tal::TImageEncoding::ieHex},
                                                                {"binary", tal::TImageEncoding::ieBinary}};
    app.add_option("-o,--output", options.Output, "the RTF document to write (\".rtf\" is added to a name without one)");
    app.add_option("--pages", options.Pages, "the pages to convert, such as 1,3-5");
    app.add_option("--image-output", options.ImageOutput,
                   "pictures as Windows metafiles (higher, the default) or enhanced metafiles (smaller)")
        ->transform(CLI::CheckedTransformer(outputs, CLI::ignore_case));
    app.add_option("--image-encoding", options.ImageEncoding,
                   "picture data as hexadecimal text (hex, the default) or raw bytes (binary)")
        ->transform(CLI::CheckedTransformer(encodings, CLI::ignore_case));
    app.add_flag("-q,--quiet", options.Quiet, "print nothing when the document was written");
    bool console = false;
    app.add_flag("--console", console, "use terminal dialogs (the dialogs are not built yet)");
    app.set_version_flag("--version", Version);
    app.add_option("args", positional, "REPORT.ndr, or REPORT Convert / FOLDER View");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int code = app.exit(error);
        return code == 0 ? 0 : 2;
    }
    if (!options.Output.empty()) {
        if (positional.size() != 1) {
            std::cerr << "TalRTF: -o needs exactly one report file\n" << app.help();
            return 2;
        }
        options.Report = positional[0];
        return Convert(options);
    }
    if (positional.size() == 2 && (positional[1] == "Convert" || positional[1] == "View")) {
        std::cerr << "TalRTF: the " << positional[1] << " dialog needs the dialogs, which are not built yet; "
                  << "use TalRTF -o OUT REPORT.ndr\n";
        return 2;
    }
    std::cerr << app.help();
    return 2;
}
