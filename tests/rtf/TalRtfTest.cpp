// The TalRTF program: its exit status and messages for each outcome.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "tools/ndrwriter/NdrWriter.h"

namespace tal {
namespace {

namespace fs = std::filesystem;

struct TRun {
    int Status;
    std::string Out, Err;
};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class TalRtf : public ::testing::Test {
protected:
    void SetUp() override {
        FDir = fs::temp_directory_path() / ("talrtf-" + std::to_string(::getpid()));
        fs::create_directories(FDir);
        ndrwriter::TNdrWriter w;
        w.BeginPage(1);
        w.PrintLeft(1, "hello", 1);
        w.EndPage();
        w.BeginPage(2);
        w.PrintLeft(1, "second", 1);
        w.EndPage();
        const auto bytes = w.Finish();
        std::ofstream(FDir / "report.ndr", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    void TearDown() override { fs::remove_all(FDir); }

    TRun Run(const std::string& arguments) {
        // No display and no input: a dialog form runs on the terminal and ends at the end of input.
        const std::string command = "cd " + FDir.string() + " && env -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY " +
                                    TALRTF_PATH + " " + arguments + " >out.txt 2>err.txt </dev/null";
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(FDir / "out.txt"), ReadFile(FDir / "err.txt")};
    }

    fs::path FDir;
};

TEST_F(TalRtf, WritesTheDocumentWithTheDefaultExtension) {
    const TRun run = Run("-o doc report.ndr");
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, "RTF File - \"doc.rtf\" - rendered successfully!\n");
    const std::string rtf = ReadFile(FDir / "doc.rtf");
    EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset0\\fprq0 ", 0), 0u);
    EXPECT_NE(rtf.find("\\page "), std::string::npos);
}

TEST_F(TalRtf, PagesAndPictureSettingsAreTakenAndQuietPrintsNothing) {
    const TRun run = Run("-q --pages 2 --image-output smaller --image-encoding BINARY -o doc.rtf report.ndr");
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, "");
    const std::string rtf = ReadFile(FDir / "doc.rtf");
    EXPECT_EQ(rtf.find("hello"), std::string::npos);
    EXPECT_NE(rtf.find("second"), std::string::npos);
}

TEST_F(TalRtf, AFailedConversionExitsWithOneAndTheErrorsMessage) {
    const TRun run = Run("-o doc missing.ndr");
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("missing.ndr"), std::string::npos) << run.Err;
    std::ofstream(FDir / "bad.ndr") << "not a report";
    const TRun bad = Run("-o doc bad.ndr");
    EXPECT_EQ(bad.Status, 1);
    EXPECT_EQ(bad.Err, "TalRTF: Unexpected header code [110] found in report file.\n");
}

TEST_F(TalRtf, UsageErrorsExitWithTwoAndTheDialogFormsRunOnTheTerminal) {
    EXPECT_EQ(Run("--image-output best -o doc report.ndr").Status, 2);
    EXPECT_EQ(Run("-o doc one.ndr two.ndr").Status, 2);
    const TRun invalid = Run("");
    EXPECT_EQ(invalid.Status, 0);
    EXPECT_NE(invalid.Out.find("Invalid Command passed"), std::string::npos) << invalid.Out;
    const TRun convert = Run("report.ndr Convert");
    EXPECT_EQ(convert.Status, 0);
    EXPECT_NE(convert.Out.find("RTFForm"), std::string::npos) << convert.Out;
    EXPECT_EQ(Run("--help").Status, 0);
    const TRun version = Run("--version");
    EXPECT_EQ(version.Status, 0);
    EXPECT_EQ(version.Out, "TalRTF 1.0.0\n");
}

}  // namespace
}  // namespace tal
