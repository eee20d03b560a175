#include "front/EngineMain.h"

#include <sys/stat.h>

#include <CLI/CLI.hpp>
#include <iostream>
#include <map>

#include "front/HelpText.h"
#include "front/OptionChoice.h"
#include "front/Progress.h"
#include "front/ReportFile.h"
#include "front/Shell.h"
#include "front/console/ConsoleEngine.h"
#include "platform/Stream.h"
#include "render/PageSelection.h"
#include "front/QtFront.h"

namespace tal::front {

namespace {

constexpr const char* EngineVersion = "1.0.0";
#ifndef TAL_PROJECT_VERSION
#error "TAL_PROJECT_VERSION names the build the Qt dialogs must belong to"
#endif

void AddOptions(CLI::App& app, const TEngineProfile& profile, TEngineOptions& options) {
    app.add_option("arguments", options.Arguments,
                   "REPORT.ndr Convert | FOLDER View | REPORT.ndr (with --output)");
    app.add_option("-o,--output", options.Output,
                   "Convert REPORT.ndr into FILE without a dialog (an extension is added when FILE has no \".\")");
    app.add_option("--pages", options.Pages, "Page selection, such as 1-3,5");
    if (profile.Kind == TEngineKind::Pdf) {
        app.add_flag("--compress", options.Compress, "Compress page contents (FlateDecode)");
        app.add_flag("--no-subset", options.NoSubset, "Embed whole font programs, not only the glyphs printed");
    } else {
        const std::map<std::string, TImageOutputChoice> outputs {{"higher", TImageOutputChoice::HigherQuality},
                                                                {"smaller", TImageOutputChoice::SmallerSize}};
        app.add_option("--image-output", options.ImageOutput, "Pictures: higher quality or smaller size")
            ->transform(OneWordOf(outputs));
        const std::map<std::string, TImageEncodingChoice> encodings {{"hex", TImageEncodingChoice::Hex},
                                                                    {"binary", TImageEncodingChoice::Binary}};
        app.add_option("--image-encoding", options.ImageEncoding, "Picture bytes as hex or binary")
            ->transform(OneWordOf(encodings));
    }
    app.add_flag("--console", options.Console, "Use the terminal dialogs even where a display is available");
    app.add_flag("-q,--quiet", options.Quiet, "Print nothing when the document was written");
    app.set_version_flag("--version", profile.Deliverable + " " + EngineVersion);
}

// A page selection is checked as the command line is read, before any
// dialog opens or any file is touched.
void ValidatePagesOption(const std::string& pages) {
    try {
        ValidatePageSelection(pages);
    } catch (const std::exception& error) {
        throw CLI::ValidationError("--pages \"" + pages + "\" is not a page selection: " + error.what());
    }
}

// Whether two names lead to one file (the same device and inode), whatever
// the path, link or hard link that names it.
bool SameFile(const std::string& first, const std::string& second) {
    struct stat a {}, b {};
    return ::stat(first.c_str(), &a) == 0 && ::stat(second.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

int ConvertWithoutDialog(const TEngineProfile& profile, const TRendererFactory& makeRenderer,
                         const TEngineOptions& options, TEngineStreams streams) {
    try {
        auto renderer = makeRenderer(options);
        const std::string& input = options.Arguments.front();
        const std::string output = renderer->WithDefaultExtension(options.Output);
        if (SameFile(input, output)) {
            streams.Err << profile.Deliverable << ": the output \"" << output << "\" is the report \"" << input
                        << "\" itself; choose another output file\n"
                        << "Run with --help for more information.\n";
            return 2;
        }
        renderer->FPageSelection = options.Pages;
        TMemoryStream report;
        LoadReport(report, input);
        TTerminalProgress progress(*renderer, streams.Err, !options.Quiet && IsTerminalStandardError(streams.Err));
        renderer->RenderToFile(report, options.Output);
        progress.Finish();
        if (!options.Quiet)
            streams.Out << profile.SuccessFirstWords << '"' << renderer->FOutputFileName << "\" - rendered successfully!\n";
        return 0;
    } catch (const std::exception& error) {
        streams.Err << profile.Deliverable << ": " << error.what() << '\n';
    } catch (...) {
        streams.Err << profile.Deliverable << ": the conversion failed for an unknown reason.\n";
    }
    return 1;
}

int RunDialog(const TEngineProfile& profile, const TRendererFactory& makeRenderer, const TEngineOptions& options,
              TEngineStreams streams) {
    auto renderer = makeRenderer(options);
    renderer->FPageSelection = options.Pages;
    TXdgOpenShell shell;
    if (!options.Console) {
        std::string why;
        if (const TQtFrontEntry dialogs = FindQtFront(why)) {
            TQtFrontCall call;
            call.Version = TAL_PROJECT_VERSION;
            call.Profile = &profile;
            call.Renderer = renderer.get();
            call.Shell = &shell;
            call.Arguments = &options.Arguments;
            dialogs(&call);
            if (call.Reachable) return call.Status;
            why = call.Why;
        }
        if (!why.empty()) streams.Err << why << '\n';
    }
    TTerminal terminal(streams.In, streams.Out);
    return RunConsoleEngine(profile, *renderer, shell, options.Arguments, terminal);
}

}  // namespace

bool GraphicalDialogsAvailable() {
    std::string why;
    const TQtFrontEntry dialogs = FindQtFront(why);
    if (!dialogs) return false;
    TQtFrontCall call;
    call.Version = TAL_PROJECT_VERSION;
    call.ProbeOnly = true;
    dialogs(&call);
    return call.Reachable;
}

int EngineMain(const TEngineProfile& profile, const TRendererFactory& makeRenderer,
               const std::vector<std::string>& arguments, TEngineStreams streams) {
    CLI::App app(profile.ApplicationTitle, profile.Deliverable);
    TEngineOptions options;
    AddOptions(app, profile, options);
    try {
        // CLI11 wants the arguments last first.
        std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
        app.parse(reversed);
        if (options.NonInteractive() && options.Arguments.size() != 1)
            throw CLI::ValidationError("--output needs exactly one REPORT.ndr");
        if (!options.NonInteractive() && options.Arguments.size() > 2)
            throw CLI::ValidationError("at most two arguments: REPORT.ndr Convert or FOLDER View");
        ValidatePagesOption(options.Pages);
    } catch (const CLI::CallForHelp&) {
        streams.Out << EngineHelp(profile);
        return 0;
    } catch (const CLI::CallForVersion&) {
        streams.Out << profile.Deliverable << " " << EngineVersion << "\n";
        return 0;
    } catch (const CLI::ParseError& error) {
        streams.Err << profile.Deliverable << ": " << error.what() << "\n" << "Run with --help for more information.\n";
        return 2;
    }
    if (options.NonInteractive()) return ConvertWithoutDialog(profile, makeRenderer, options, streams);
    try {
        return RunDialog(profile, makeRenderer, options, streams);
    } catch (const std::exception& error) {
        streams.Err << profile.Deliverable << ": " << error.what() << '\n';
        return 1;
    }
}

int EngineMain(const TEngineProfile& profile, const TRendererFactory& makeRenderer, int argc, char** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
    return EngineMain(profile, makeRenderer, arguments, {std::cin, std::cout, std::cerr});
}

}  // namespace tal::front
