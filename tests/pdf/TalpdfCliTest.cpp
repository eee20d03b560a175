// The non-interactive command line of TALPDF: exit status 0 when the
// document was written, 1 when the conversion failed (the message on
// stderr), 2 for a usage error.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>

#include "tests/pdf/PdfTestSupport.h"

namespace tal::testing {
namespace {

namespace fs = std::filesystem;

struct TResult {
    int Status = -1;
    std::string Output;
};

TResult Talpdf(const std::string& arguments) {
    TResult result;
    // No display and no input: a dialog form runs on the terminal and ends
    // at the end of input.
    const std::string command = "env -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY " + std::string(TALPDF_PATH) +
                                " " + arguments + " 2>&1 </dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe.get())) result.Output.append(buffer, n);
    const int status = pclose(pipe.release());
    result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

class TalpdfCli : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(Folder); }
    void TearDown() override { fs::remove_all(Folder); }
    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const fs::path path = Folder / name;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }
    fs::path Folder = fs::temp_directory_path() / ("tal-talpdf-" + std::to_string(getpid()));
};

TEST_F(TalpdfCli, ConvertsAndAddsTheExtension) {
    ndrwriter::TNdrWriter writer;
    for (std::int16_t page = 1; page <= 3; ++page) {
        writer.BeginPage(page);
        writer.Rectangle(1, 1, 2, 2);
        writer.EndPage();
    }
    const std::string report = Write("report.ndr", writer.Finish());
    const std::string out = (Folder / "out").string();
    TResult result = Talpdf("-q -o '" + out + "' --pages 2-3 '" + report + "'");
    EXPECT_EQ(result.Status, 0) << result.Output;
    EXPECT_EQ(result.Output, "");
    const std::string pdf = ReadFileText(out + ".pdf");
    EXPECT_NE(pdf.find("/Count 2\r\n"), std::string::npos);

    result = Talpdf("--compress -o '" + out + ".pdf' '" + report + "'");
    EXPECT_EQ(result.Status, 0) << result.Output;
    EXPECT_NE(ReadFileText(out + ".pdf").find("/Filter [/FlateDecode]"), std::string::npos);
}

TEST_F(TalpdfCli, SubsetsFontsUnlessToldNotTo) {
    const std::string report = Write("fonts.ndr", OnePage([](ndrwriter::TNdrWriter& w) {
        auto font = Arial();
        font.Name = "DejaVu Sans";
        w.SetFont(font);
        w.PrintLeft(1, "Subset", 1);
    }));
    const std::string cut = (Folder / "cut.pdf").string(), whole = (Folder / "whole.pdf").string();
    ASSERT_EQ(Talpdf("-q -o '" + cut + "' '" + report + "'").Status, 0);
    ASSERT_EQ(Talpdf("-q --no-subset -o '" + whole + "' '" + report + "'").Status, 0);
    const std::string cutBytes = ReadFileText(cut), wholeBytes = ReadFileText(whole);
    if (wholeBytes.find("/FontFile2") == std::string::npos) GTEST_SKIP() << "DejaVu Sans is not installed";
    EXPECT_NE(cutBytes.find("+DejaVuSans\r\n"), std::string::npos);
    EXPECT_NE(cutBytes.find("/ToUnicode"), std::string::npos);
    EXPECT_NE(wholeBytes.find("/BaseFont /DejaVuSans\r\n"), std::string::npos);
    EXPECT_EQ(wholeBytes.find("/ToUnicode"), std::string::npos);
    EXPECT_LT(cutBytes.size() * 10, wholeBytes.size());
}

TEST_F(TalpdfCli, FailuresAndUsage) {
    const std::string bad = Write("bad.ndr", {0x01, 0x02, 0x03});
    TResult result = Talpdf("-o '" + (Folder / "bad.pdf").string() + "' '" + bad + "'");
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Output, "TALPDF: Unexpected header code [1] found in report file.\n");

    result = Talpdf("-o '" + (Folder / "x.pdf").string() + "' '" + (Folder / "missing.ndr").string() + "'");
    EXPECT_EQ(result.Status, 1);
    EXPECT_NE(result.Output, "");

    EXPECT_EQ(Talpdf("--no-such-option x.ndr").Status, 2);
    EXPECT_EQ(Talpdf("-o out.pdf").Status, 2);
    EXPECT_EQ(Talpdf("a b c").Status, 2);
    // The dialog forms on the terminal: an empty command line is an invalid command.
    result = Talpdf("");
    EXPECT_EQ(result.Status, 0);
    EXPECT_NE(result.Output.find("Invalid Command passed"), std::string::npos) << result.Output;
    result = Talpdf("'" + (Folder / "none.ndr").string() + "' Convert");
    EXPECT_EQ(result.Status, 0);
    EXPECT_NE(result.Output.find("Make an Adobe Acrobat Document"), std::string::npos) << result.Output;
    result = Talpdf("--version");
    EXPECT_EQ(result.Status, 0);
    EXPECT_NE(result.Output.find("TALPDF"), std::string::npos);
    EXPECT_EQ(Talpdf("--help").Status, 0);
}

}  // namespace
}  // namespace tal::testing
