// TALPDF: the PDF engine. Tallow starts it as "TALPDF REPORT Convert" or
// "TALPDF FOLDER View" (the dialogs); "TALPDF -o OUT REPORT.ndr" converts
// without a dialog and reports through its exit status:
// 0 written, 1 conversion failed (the error's message on stderr), 2 usage.
#include <CLI/CLI.hpp>

#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "pdf/PdfCompress.h"
#include "pdf/PdfEngineForm.h"
#include "pdf/RpRenderPDF.h"
#include "platform/Stream.h"

namespace {

constexpr const char* ApplicationTitle = "Tallow Adobe Acrobat PDF Machine";
constexpr const char* Version = "TALPDF 1.0.0";

int Convert(const std::string& report, const std::string& output, const std::string& pages, bool compress,
            bool quiet) {
    tal::TRvRenderPDF render;
    tal::ApplyEngineFormSettings(render);
    render.FPageSelection = pages;
    if (compress) {
        render.UseCompression = true;
        render.OnCompress = tal::FlateCompress;
    }
    try {
        tal::TMemoryStream stream;
        stream.LoadFromFile(report);
        render.RenderToFile(stream, output);
    } catch (const std::exception& error) {
        std::cerr << error.what() << "\n";
        return 1;
    }
    if (!quiet) std::cout << "Adobe Acrobat PDF File - \"" << render.WithDefaultExtension(output)
                          << "\" - rendered successfully!\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app {std::string(ApplicationTitle) + ": converts a Tallow NDR report into a PDF document", "TALPDF"};
    std::string output, pages;
    bool compress = false, quiet = false;
    std::vector<std::string> positional;
    app.add_option("-o,--output", output, "the PDF document to write (\".pdf\" is added to a name without one)");
    app.add_option("--pages", pages, "the pages to convert, such as 1,3-5");
    app.add_flag("--compress", compress, "compress page contents and fonts (FlateDecode)");
    app.add_flag("-q,--quiet", quiet, "print nothing when the document was written");
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
    if (!output.empty()) {
        if (positional.size() != 1) {
            std::cerr << "TALPDF: -o needs exactly one report file\n" << app.help();
            return 2;
        }
        return Convert(positional[0], output, pages, compress, quiet);
    }
    if (positional.size() == 2 && (positional[1] == "Convert" || positional[1] == "View")) {
        std::cerr << "TALPDF: the " << positional[1] << " dialog needs the dialogs, which are not built yet; "
                  << "use TALPDF -o OUT REPORT.ndr\n";
        return 2;
    }
    std::cerr << app.help();
    return 2;
}
