// The command line both programs share: the form without a dialog, its
// options and exit statuses, and the terminal dialog started from it.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "front/EngineMain.h"
#include "front/demo/DemoRender.h"
#include "tests/front/FrontTestSupport.h"

namespace tal::front::testing {
namespace {

struct TRun {
    int Status = -1;
    std::string Out, Err;
    TEngineOptions Seen;
};

TRun RunEngine(const TEngineProfile& profile, const std::vector<std::string>& arguments, const std::string& input = "") {
    TRun run;
    auto factory = [&](const TEngineOptions& options) -> std::unique_ptr<TRPRender> {
        run.Seen = options;
        return std::make_unique<TDemoRender>(profile.Kind == TEngineKind::Pdf ? "*.pdf" : "*.rtf");
    };
    std::istringstream in(input);
    std::ostringstream out, err;
    run.Status = EngineMain(profile, factory, arguments, {in, out, err});
    run.Out = out.str();
    run.Err = err.str();
    return run;
}

class EngineMainTest : public ::testing::Test {
protected:
    TTempFolder Folder;
    std::string Report(int pages = 1) {
        const std::string path = Folder / "report.ndr";
        WriteFile(path, GoodReport(pages));
        return path;
    }
};

TEST_F(EngineMainTest, OutputOptionConvertsWithoutADialog) {
    const auto run = RunEngine(PdfEngineProfile(), {"-o", Folder / "out.pdf", Report()});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, "Adobe Acrobat PDF File - \"" + (Folder / "out.pdf") + "\" - rendered successfully!\n");
    EXPECT_EQ(ReadFile(Folder / "out.pdf").substr(0, 13), "DEMO DOCUMENT");

    // No "." in the name: the renderer's default extension is added.
    const auto bare = RunEngine(RtfEngineProfile(), {"--quiet", "--output", Folder / "bare", Report()});
    EXPECT_EQ(bare.Status, 0);
    EXPECT_EQ(bare.Out, "");
    EXPECT_TRUE(std::filesystem::exists(Folder / "bare.rtf"));
}

TEST_F(EngineMainTest, AFailedConversionPrintsTheErrorsMessageAndExitsWithOne) {
    WriteFile(Folder / "bad.ndr", MalformedReport());
    const auto bad = RunEngine(PdfEngineProfile(), {"-o", Folder / "out.pdf", Folder / "bad.ndr"});
    EXPECT_EQ(bad.Status, 1);
    EXPECT_EQ(bad.Err, "TALPDF: Unexpected header code [65] found in report file.\n");

    const auto missing = RunEngine(PdfEngineProfile(), {"-o", Folder / "out.pdf", Folder / "none.ndr"});
    EXPECT_EQ(missing.Status, 1);
    EXPECT_EQ(missing.Err.rfind("TALPDF: Cannot open file \"" + (Folder / "none.ndr") + "\"", 0), 0u) << missing.Err;

    const auto nowhere = RunEngine(PdfEngineProfile(), {"-o", Folder / "no/such/folder/out.pdf", Report()});
    EXPECT_EQ(nowhere.Status, 1);
    EXPECT_NE(nowhere.Err.find("Cannot create file"), std::string::npos);
}

TEST_F(EngineMainTest, UsageErrorsExitWithTwo) {
    const std::string report = Report();
    const std::vector<std::vector<std::string>> wrong = {
        {"-o", Folder / "out.pdf"},
        {"-o", Folder / "out.pdf", report, "Convert"},
        {"--no-such-option"},
        {"a", "b", "c"},
        {"--pages"},
    };
    for (const auto& arguments : wrong) {
        const auto run = RunEngine(PdfEngineProfile(), arguments);
        EXPECT_EQ(run.Status, 2) << arguments.front();
        EXPECT_NE(run.Err.find("TALPDF: "), std::string::npos);
    }
    EXPECT_EQ(RunEngine(RtfEngineProfile(), {"--compress", "-o", "x", report}).Status, 2);
    EXPECT_EQ(RunEngine(PdfEngineProfile(), {"--image-output", "higher", "-o", "x", report}).Status, 2);
    EXPECT_EQ(RunEngine(RtfEngineProfile(), {"--image-output", "best", "-o", "x", report}).Status, 2);
}

TEST_F(EngineMainTest, AFaultyPageSelectionIsAUsageErrorThatQuotesItAsTyped) {
    const std::string report = Report(3);
    WriteFile(Folder / "out.pdf", std::string("old"));
    const auto run = RunEngine(PdfEngineProfile(), {"--pages", "1,abc", "-o", Folder / "out.pdf", report});
    EXPECT_EQ(run.Status, 2);
    EXPECT_EQ(run.Err.substr(0, run.Err.find('\n')),
              "TALPDF: --pages \"1,abc\" is not a page selection: 'abc' is not a valid integer value");
    EXPECT_EQ(ReadFile(Folder / "out.pdf"), "old");
    // The dialog form checks it too, before any dialog opens.
    const auto dialog = RunEngine(RtfEngineProfile(), {"--console", "--pages", "x-2", report, "Convert"}, "r\n");
    EXPECT_EQ(dialog.Status, 2);
    EXPECT_EQ(dialog.Out, "");
    EXPECT_NE(dialog.Err.find("TalRTF: --pages \"x-2\" is not a page selection: 'x' is not a valid integer value"),
              std::string::npos)
        << dialog.Err;
}

TEST_F(EngineMainTest, ASelectionThatNamesNoPageFailsAndWritesNothing) {
    const std::string report = Report(3);
    WriteFile(Folder / "out.pdf", std::string("old"));
    for (const std::string selection : {"99", "3-1", "0"}) {
        const auto run = RunEngine(PdfEngineProfile(), {"--pages", selection, "-o", Folder / "out.pdf", report});
        EXPECT_EQ(run.Status, 1) << selection;
        EXPECT_EQ(run.Err, "TALPDF: The page selection \"" + selection + "\" names no page of the report, which has 3 pages\n");
        EXPECT_EQ(ReadFile(Folder / "out.pdf"), "old");
    }
    EXPECT_FALSE(std::filesystem::exists(Folder / "out.incomplete.pdf"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Folder.Path()), {}), 2);
}

TEST_F(EngineMainTest, AnOutputThatIsTheReportItselfIsAUsageError) {
    const std::string report = Report();
    const std::string bytes = ReadFile(report);
    std::filesystem::create_hard_link(report, Folder / "linked.ndr");
    std::filesystem::create_symlink(report, Folder / "pointer.pdf");
    const TCurrentFolder here(Folder.Path());
    for (const std::string& output : {report, Folder / "./report.ndr", std::string("report.ndr"), Folder / "linked.ndr",
                                     Folder / "pointer"}) {
        const auto run = RunEngine(PdfEngineProfile(), {"-o", output, report});
        EXPECT_EQ(run.Status, 2) << output;
        EXPECT_NE(run.Err.find("TALPDF: the output \""), std::string::npos) << run.Err;
        EXPECT_NE(run.Err.find("\" is the report \"" + report + "\" itself"), std::string::npos) << run.Err;
        EXPECT_EQ(ReadFile(report), bytes);
    }
    EXPECT_EQ(RunEngine(PdfEngineProfile(), {"-o", Folder / "report", report}).Status, 0);  // report.pdf
}

TEST_F(EngineMainTest, HelpAndVersion) {
    const auto help = RunEngine(RtfEngineProfile(), {"--help"});
    EXPECT_EQ(help.Status, 0);
    EXPECT_NE(help.Out.find("--image-encoding"), std::string::npos);
    EXPECT_EQ(help.Out.find("--compress"), std::string::npos);
    const auto version = RunEngine(PdfEngineProfile(), {"--version"});
    EXPECT_EQ(version.Status, 0);
    EXPECT_EQ(version.Out, "TALPDF 1.0.0\n");
}

TEST_F(EngineMainTest, TheFactorySeesTheOptionsAndThePageSelectionReachesTheRenderer) {
    const std::string report = Report(3);
    const auto rtf = RunEngine(RtfEngineProfile(), {"--image-output", "smaller", "--image-encoding", "binary", "--pages",
                                              "2", "-o", Folder / "two.rtf", report});
    EXPECT_EQ(rtf.Status, 0) << rtf.Err;
    EXPECT_EQ(rtf.Seen.ImageOutput, TImageOutputChoice::SmallerSize);
    EXPECT_EQ(rtf.Seen.ImageEncoding, TImageEncodingChoice::Binary);
    EXPECT_EQ(rtf.Seen.Pages, "2");
    EXPECT_EQ(ReadFile(Folder / "two.rtf").find("END 1\r\n") != std::string::npos, true);

    const auto pdf = RunEngine(PdfEngineProfile(), {"--compress", "-o", Folder / "c.pdf", report});
    EXPECT_TRUE(pdf.Seen.Compress);
    EXPECT_EQ(pdf.Seen.ImageOutput, TImageOutputChoice::Default);
    EXPECT_EQ(ReadFile(Folder / "c.pdf").find("END 3\r\n") != std::string::npos, true);
}

TEST_F(EngineMainTest, TheHostCommandLineRunsTheTerminalDialog) {
    const std::string report = Report();
    const auto run = RunEngine(PdfEngineProfile(), {"--console", report, "Convert"}, "m\nGulls\n\nr\n");
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_NE(run.Out.find("Adobe Acrobat PDF File - \"Gulls.PDF\" - rendered successfully!"), std::string::npos);
    EXPECT_NE(run.Out.find("View Gulls.PDF"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(Folder / "Gulls.PDF"));
}

// A stale DISPLAY (an ssh session, an Xvfb that has gone) must not reach
// QApplication, which would abort the whole process.
TEST_F(EngineMainTest, ADisplayThatDoesNotAnswerLeavesTheTerminalDialogs) {
    const std::string display = UnusedXDisplay();
    const TEnvironmentVariable platform("QT_QPA_PLATFORM", std::nullopt);
    const TEnvironmentVariable wayland("WAYLAND_DISPLAY", std::nullopt);
    const TEnvironmentVariable session("XDG_SESSION_TYPE", std::nullopt);
    const TEnvironmentVariable x("DISPLAY", display);
    EXPECT_FALSE(GraphicalDialogsAvailable());

    const std::string report = Report();
    const auto run = RunEngine(RtfEngineProfile(), {report, "Convert"}, "m\nTerns\n\nr\n");
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_NE(run.Out.find("\"Terns.RTF\" - rendered successfully!"), std::string::npos) << run.Out;
    EXPECT_TRUE(std::filesystem::exists(Folder / "Terns.RTF"));
#ifdef TAL_FRONT_HAVE_QT
    EXPECT_EQ(run.Err, "No display answers at " + display + "; using the terminal dialogs.\n");
#else
    EXPECT_EQ(run.Err, "");
#endif
}

TEST_F(EngineMainTest, TheOffscreenPlatformCountsAsADisplayInAQtBuild) {
    const TEnvironmentVariable platform("QT_QPA_PLATFORM", "offscreen");
    const TEnvironmentVariable x("DISPLAY", UnusedXDisplay());
#ifdef TAL_FRONT_HAVE_QT
    EXPECT_TRUE(GraphicalDialogsAvailable());
#else
    EXPECT_FALSE(GraphicalDialogsAvailable());
#endif
}

TEST_F(EngineMainTest, OddArgumentsAreShownHarmlesslyAndTheDialogStaysUsable) {
    std::string odd = "\x1b]0;owned\x07\x1b[31m\xff\xfe" + std::string(5000, 'z');
    const auto view = RunEngine(PdfEngineProfile(), {"--console", odd, "View"}, "a\n\nr\n");
    EXPECT_EQ(view.Status, 0);
    EXPECT_EQ(view.Out.find('\x1b'), std::string::npos);
    EXPECT_EQ(view.Out.find('\x07'), std::string::npos);
    EXPECT_NE(view.Out.find("^[]0;owned^G^[[31m\\xFF\\xFE"), std::string::npos);

    const auto convert = RunEngine(RtfEngineProfile(), {"--console", odd + ".ndr", "Convert"}, "m\n\nr\n");
    EXPECT_EQ(convert.Status, 0);
    EXPECT_NE(convert.Out.find("Invalid file sent from Tallow -- can't make RTF"), std::string::npos);
}

}  // namespace
}  // namespace tal::front::testing
