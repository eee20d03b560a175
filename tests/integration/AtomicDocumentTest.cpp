// Both engine programs as a user's machine meets them: a disk that fills up,
// a process killed halfway, an output named like the report, a page
// selection that names nothing. In each case the document the user already
// had is still there, byte for byte.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/pictures/MetafileSamples.h"
#include "tools/ndrwriter/NdrWriter.h"
#include "tools/ndrwriter/SamplePictures.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct TEngine {
    const char* Program;
    const char* Extension;
    // The program's name, which starts each of its error lines.
    std::string Prefix() const { return std::filesystem::path(Program).filename().string() + ": "; }
};
const TEngine Engines[] = {{TALPDF_PATH, ".pdf"}, {TALRTF_PATH, ".rtf"}};

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteAll(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

// Pages of text in a TrueType face, so that the document is far larger
// than the limits below and its conversion takes a while.
std::vector<std::uint8_t> LongReport(int pages) {
    tal::ndrwriter::TNdrWriter w;
    for (int page = 1; page <= pages; ++page) {
        w.BeginPage(static_cast<std::int16_t>(page));
        w.FontName("Arial");
        w.FontSize(10.0f / 72);
        for (int line = 0; line < 60; ++line)
            w.PrintLeft(0.5f + line * 0.16f, "Line " + std::to_string(line) + " of page " + std::to_string(page) +
                                                 ": the quick brown fox jumps over the lazy dog",
                        0.75f);
        w.EndPage();
    }
    return w.Finish();
}

// TrueType text and a picture of each kind the engines rasterise or record;
// the metafiles' own text goes through cairo's fonts and fontconfig.
std::vector<std::uint8_t> PictureReport() {
    tal::ndrwriter::TNdrWriter w;
    w.BeginPage(1);
    w.FontName("Arial");
    w.FontSize(12.0f / 72);
    w.PrintLeft(1, "Gulls over the harbour", 1);
    w.StretchDraw({2, tal::pictest::SampleWmf()}, 1, 2, 3, 3);
    w.StretchDraw({2, tal::pictest::SampleEmf()}, 4, 2, 6, 3);
    w.StretchBitmap({1, tal::ndrwriter::SolidBitmap(40, 20, 0x00FF8000)}, 1, 4, 2, 4.5f);
    w.Draw({3, tal::ndrwriter::HalfMaskedIcon(32, 0x000080FF)}, 3, 4);
    w.EndPage();
    return w.Finish();
}

struct TLimits {
    std::optional<rlim_t> FileSize;  // RLIMIT_FSIZE of the engine
    bool IgnoreFileSizeSignal = true;  // else SIGXFSZ kills it at the limit
    // Killed with SIGKILL as soon as a file whose name starts so appears.
    std::optional<std::string> KillWhenCreated;

    // A disk with room for size bytes of the document.
    static TLimits FullDisk(rlim_t size, bool killed) {
        TLimits limits;
        limits.FileSize = size;
        limits.IgnoreFileSizeSignal = !killed;
        return limits;
    }
    static TLimits KillAtFile(std::string prefix) {
        TLimits limits;
        limits.KillWhenCreated = std::move(prefix);
        return limits;
    }
};

struct TOutcome {
    int Status = -1;  // exit status, or -1 when a signal ended the program
    int Signal = 0;
    std::string Err;
};

bool FolderHasNameStarting(const fs::path& folder, const std::string& prefix) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        if (entry.path().filename().string().rfind(prefix, 0) == 0) return true;
    return false;
}

// Runs the program in folder with no display; fails the test and kills the
// program if it has not ended within a minute.
TOutcome RunProgram(const std::string& program, std::vector<std::string> arguments, const fs::path& folder,
             const TLimits& limits = {}) {
    const fs::path errors = folder.parent_path() / (folder.filename().string() + ".err");
    arguments.insert(arguments.begin(), program);
    std::vector<char*> argv;
    for (auto& a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        const rlimit noCore {0, 0};
        ::setrlimit(RLIMIT_CORE, &noCore);
        if (limits.FileSize) {
            const rlimit size {*limits.FileSize, *limits.FileSize};
            ::setrlimit(RLIMIT_FSIZE, &size);
        }
        ::signal(SIGXFSZ, limits.IgnoreFileSizeSignal ? SIG_IGN : SIG_DFL);
        const int err = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(err, STDERR_FILENO);
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, STDIN_FILENO);
        ::dup2(null, STDOUT_FILENO);
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
        ::unsetenv("QT_QPA_PLATFORM");
        if (::chdir(folder.c_str()) != 0) ::_exit(126);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    TOutcome outcome;
    if (child < 0) {
        ADD_FAILURE() << "cannot start " << program;
        return outcome;
    }
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    bool killed = false;
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (limits.KillWhenCreated && !killed && FolderHasNameStarting(folder, *limits.KillWhenCreated)) {
            ::kill(child, SIGKILL);
            killed = true;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            ADD_FAILURE() << program << " did not end within a minute; killed";
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            break;
        }
        std::this_thread::sleep_for(1ms);
    }
    if (WIFEXITED(status)) outcome.Status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) outcome.Signal = WTERMSIG(status);
    outcome.Err = ReadAll(errors);
    fs::remove(errors);
    return outcome;
}

class AtomicDocuments : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(Folder);
        WriteAll(Folder / "long.ndr", LongReport(120));
    }
    void TearDown() override { fs::remove_all(Folder); }
    // The user's document from an earlier conversion.
    std::string Previous(const TEngine& engine) {
        const std::string name = std::string("Doc") + engine.Extension;
        std::ofstream(Folder / name) << "the previous document";
        return name;
    }
    fs::path Folder = fs::temp_directory_path() / ("tal-atomic-" + std::to_string(::getpid()));
};

TEST_F(AtomicDocuments, AFullDiskFailsTheConversionAndLeavesThePreviousDocument) {
    for (const TEngine& engine : Engines) {
        SCOPED_TRACE(engine.Program);
        const std::string doc = Previous(engine);
        const auto outcome = RunProgram(engine.Program, {"-o", doc, "long.ndr"}, Folder, TLimits::FullDisk(16384, false));
        EXPECT_EQ(outcome.Status, 1);
        EXPECT_EQ(outcome.Err, engine.Prefix() + "Cannot write to file \"" + doc + "\". File too large\n");
        EXPECT_EQ(ReadAll(Folder / doc), "the previous document");
        EXPECT_EQ(Names(Folder), (std::vector<std::string> {doc, "long.ndr"}));  // no new file left behind
        fs::remove(Folder / doc);
    }
}

TEST_F(AtomicDocuments, AProcessKilledWhileWritingLeavesThePreviousDocument) {
    for (const TEngine& engine : Engines) {
        SCOPED_TRACE(engine.Program);
        const std::string doc = Previous(engine);
        // The file-size signal ends the program in the middle of a write.
        const auto outcome =
            RunProgram(engine.Program, {"-o", doc, "long.ndr"}, Folder, TLimits::FullDisk(16384, true));
        EXPECT_EQ(outcome.Signal, SIGXFSZ);
        EXPECT_EQ(ReadAll(Folder / doc), "the previous document");
        fs::remove_all(Folder);
        SetUp();
    }
}

TEST_F(AtomicDocuments, AProcessKilledDuringTheConversionLeavesThePreviousDocument) {
    for (const TEngine& engine : Engines) {
        SCOPED_TRACE(engine.Program);
        const std::string doc = Previous(engine);
        const auto outcome =
            RunProgram(engine.Program, {"-o", doc, "long.ndr"}, Folder, TLimits::KillAtFile("." + doc + "."));
        ASSERT_EQ(outcome.Signal, SIGKILL) << "the conversion ended before it could be killed";
        EXPECT_EQ(ReadAll(Folder / doc), "the previous document");
        // What is left is the new document's hidden file, never the target.
        for (const std::string& name : Names(Folder)) {
            if (name == doc || name == "long.ndr") continue;
            EXPECT_EQ(name.rfind("." + doc + ".", 0), 0u) << name;
            fs::remove(Folder / name);
        }
        fs::remove(Folder / doc);
    }
}

TEST_F(AtomicDocuments, TheNextConversionRemovesTheStaleNewFileThatAKilledOneLeft) {
    WriteAll(Folder / "short.ndr", LongReport(1));
    for (const TEngine& engine : Engines) {
        SCOPED_TRACE(engine.Program);
        const std::string doc = std::string("Doc") + engine.Extension;
        const auto make = [&](const std::string& name, std::chrono::hours age) {
            std::ofstream(Folder / name) << "part of a document";
            fs::last_write_time(Folder / name, fs::file_time_type::clock::now() - age);
        };
        make("." + doc + ".Ab12Cd", 2h);  // left by a killed conversion
        // Kept: a conversion still writing beside this one, names of other
        // patterns or targets, and what is not a regular file.
        make("." + doc + ".Xy34Zw", 0h);
        make("." + doc + ".Ab12C", 2h);
        make("." + doc + ".Ab-2Cd", 2h);
        make("." + doc + ".Ab12Cd.keep", 2h);
        make(".Other" + std::string(engine.Extension) + ".Ab12Cd", 2h);
        fs::create_directory(Folder / ("." + doc + ".Dir123"));
        const auto outcome = RunProgram(engine.Program, {"-q", "-o", doc, "short.ndr"}, Folder);
        EXPECT_EQ(outcome.Status, 0) << outcome.Err;
        const std::vector<std::string> expected {"." + doc + ".Ab-2Cd",
                                                 "." + doc + ".Ab12C",
                                                 "." + doc + ".Ab12Cd.keep",
                                                 "." + doc + ".Dir123",
                                                 "." + doc + ".Xy34Zw",
                                                 ".Other" + std::string(engine.Extension) + ".Ab12Cd",
                                                 doc,
                                                 "long.ndr",
                                                 "short.ndr"};
        EXPECT_EQ(Names(Folder), expected);
        for (const std::string& name : Names(Folder))
            if (name != "long.ndr" && name != "short.ndr") fs::remove_all(Folder / name);
    }
}

TEST_F(AtomicDocuments, AGoodConversionReplacesThePreviousDocument) {
    for (const TEngine& engine : Engines) {
        SCOPED_TRACE(engine.Program);
        const std::string doc = Previous(engine);
        const auto outcome = RunProgram(engine.Program, {"-q", "-o", doc, "long.ndr"}, Folder);
        EXPECT_EQ(outcome.Status, 0) << outcome.Err;
        EXPECT_NE(ReadAll(Folder / doc).substr(0, 5), "the p");
        EXPECT_EQ(Names(Folder).size(), 2u);
        fs::remove(Folder / doc);
    }
}

TEST_F(AtomicDocuments, TheReportItselfIsRefusedAsTheOutput) {
    const std::string report = ReadAll(Folder / "long.ndr");
    fs::create_hard_link(Folder / "long.ndr", Folder / "other.ndr");
    for (const TEngine& engine : Engines) {
        SCOPED_TRACE(engine.Program);
        const std::vector<std::string> outputs {"long.ndr", "./long.ndr", "other.ndr", (Folder / "long.ndr").string()};
        for (const std::string& output : outputs) {
            const auto outcome = RunProgram(engine.Program, {"-o", output, "long.ndr"}, Folder);
            EXPECT_EQ(outcome.Status, 2) << output;
            EXPECT_NE(outcome.Err.find("is the report \"long.ndr\" itself"), std::string::npos) << outcome.Err;
        }
        EXPECT_EQ(ReadAll(Folder / "long.ndr"), report);
    }
}

TEST_F(AtomicDocuments, APageSelectionThatNamesNoPageWritesNothing) {
    for (const TEngine& engine : Engines) {
        SCOPED_TRACE(engine.Program);
        const std::string doc = Previous(engine);
        const auto none = RunProgram(engine.Program, {"--pages", "121-130", "-o", doc, "long.ndr"}, Folder);
        EXPECT_EQ(none.Status, 1);
        EXPECT_EQ(none.Err, engine.Prefix() + "The page selection \"121-130\" names no page of the report, which has 120 pages\n");
        const auto faulty = RunProgram(engine.Program, {"--pages", "1-2,three", "-o", doc, "long.ndr"}, Folder);
        EXPECT_EQ(faulty.Status, 2);
        EXPECT_NE(faulty.Err.find("--pages \"1-2,three\" is not a page selection: 'three' is not a valid integer value"),
                  std::string::npos)
            << faulty.Err;
        EXPECT_EQ(ReadAll(Folder / doc), "the previous document");
        EXPECT_EQ(Names(Folder).size(), 2u);
        fs::remove(Folder / doc);
    }
}

// Run in the sanitizer build, this is the check that the programs carry the
// leak checker's suppressions for the font and drawing libraries' caches.
TEST_F(AtomicDocuments, PicturesAndTrueTypeTextConvertWithExitStatusZeroAndNoMessage) {
    WriteAll(Folder / "pictures.ndr", PictureReport());
    for (const TEngine& engine : Engines) {
        SCOPED_TRACE(engine.Program);
        const auto outcome = RunProgram(engine.Program, {"-q", "-o", "pictures", "pictures.ndr"}, Folder);
        EXPECT_EQ(outcome.Status, 0);
        EXPECT_EQ(outcome.Err, "");
        EXPECT_GT(fs::file_size(Folder / (std::string("pictures") + engine.Extension)), 1000u);
    }
}

}  // namespace
