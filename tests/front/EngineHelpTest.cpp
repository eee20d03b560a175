// What the programs tell people on the command line: --help written for
// them, and failures named with the program and, for the report file, with
// what is wrong with it.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "front/EngineMain.h"
#include "front/HelpText.h"
#include "front/demo/DemoRender.h"
#include "tests/front/FrontTestSupport.h"

namespace tal::front::testing {
namespace {

struct TRun {
    int Status = -1;
    std::string Out, Err;
};

TRun RunEngine(const TEngineProfile& profile, const std::vector<std::string>& arguments) {
    auto factory = [&](const TEngineOptions&) -> std::unique_ptr<TRPRender> {
        return std::make_unique<TDemoRender>(profile.Kind == TEngineKind::Pdf ? "*.pdf" : "*.rtf");
    };
    std::istringstream in;
    std::ostringstream out, err;
    TRun run;
    run.Status = EngineMain(profile, factory, arguments, {in, out, err});
    run.Out = out.str();
    run.Err = err.str();
    return run;
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(EngineHelp, NamesEveryOptionWithItsValuesTheSelectionSyntaxTheStatusesAndAnExample) {
    const auto pdf = RunEngine(PdfEngineProfile(), {"--help"});
    EXPECT_EQ(pdf.Status, 0);
    EXPECT_EQ(pdf.Out, EngineHelp(PdfEngineProfile()));
    for (const char* part : {"TALPDF REPORT.ndr Convert", "TALPDF FOLDER View", "-o, --output FILE", "--pages SELECTION",
                             "--compress", "--console", "-q, --quiet", "--version", "A-B", "EVEN", "Exit status: 0",
                             "1 the conversion failed", "2 the command line", "TALPDF -o out.pdf", "man TALPDF"})
        EXPECT_TRUE(Has(pdf.Out, part)) << part;
    EXPECT_FALSE(Has(pdf.Out, "--image-output"));

    const auto rtf = RunEngine(RtfEngineProfile(), {"-h"});
    EXPECT_EQ(rtf.Status, 0);
    for (const char* part : {"TalRTF -o FILE", "--image-output higher|smaller", "--image-encoding hex|binary", ".rtf is added"})
        EXPECT_TRUE(Has(rtf.Out, part)) << part;
    EXPECT_FALSE(Has(rtf.Out, "--compress"));

    // None of the argument parser's own notation, and lines a terminal shows whole.
    for (const std::string& help : {pdf.Out, rtf.Out}) {
        for (const char* internal : {"ENUM", "TEXT", "{", "->", "OR {"}) EXPECT_FALSE(Has(help, internal)) << internal;
        std::istringstream lines(help);
        for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 80u) << line;
    }
}

class EngineMessages : public ::testing::Test {
protected:
    TTempFolder Folder;
};

TEST_F(EngineMessages, AnEmptyReportIsCalledEmptyAfterTheProgramsName) {
    WriteFile(Folder / "empty.ndr", std::string());
    const auto run = RunEngine(RtfEngineProfile(), {"-o", Folder / "out.rtf", Folder / "empty.ndr"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Err, "TalRTF: The report file \"" + (Folder / "empty.ndr") + "\" is empty.\n");
}

TEST_F(EngineMessages, AFolderOrAnUnreadableFileIsNamedWithTheReason) {
    const auto folder = RunEngine(PdfEngineProfile(), {"-o", Folder / "out.pdf", Folder.Str()});
    EXPECT_EQ(folder.Status, 1);
    EXPECT_EQ(folder.Err, "TALPDF: Cannot open file \"" + Folder.Str() + "\". It is a folder, not a report file.\n");

    WriteFile(Folder / "locked.ndr", GoodReport());
    ::chmod((Folder / "locked.ndr").c_str(), 0);
    if (::access((Folder / "locked.ndr").c_str(), R_OK) == 0) GTEST_SKIP() << "running as a user who reads any file";
    const auto locked = RunEngine(PdfEngineProfile(), {"-o", Folder / "out.pdf", Folder / "locked.ndr"});
    EXPECT_EQ(locked.Status, 1);
    EXPECT_TRUE(Has(locked.Err, "TALPDF: Cannot open file \"" + (Folder / "locked.ndr") + "\"")) << locked.Err;
    EXPECT_TRUE(Has(locked.Err, "Permission denied")) << locked.Err;
}

TEST_F(EngineMessages, AWrongOptionValueIsNamedWithoutTheParsersNotation) {
    WriteFile(Folder / "r.ndr", GoodReport());
    const auto run = RunEngine(RtfEngineProfile(), {"--image-output", "best", "-o", Folder / "x.rtf", Folder / "r.ndr"});
    EXPECT_EQ(run.Status, 2);
    EXPECT_TRUE(Has(run.Err, "TalRTF: ")) << run.Err;
    EXPECT_TRUE(Has(run.Err, "best")) << run.Err;
    EXPECT_FALSE(Has(run.Err, "->")) << run.Err;
}

}  // namespace
}  // namespace tal::front::testing
