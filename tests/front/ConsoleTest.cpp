// The terminal dialogs of a whole program, driven through a pseudo-terminal
// as a person at a text console would drive them.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/front/FrontTestSupport.h"

namespace tal::front::testing {
namespace {

using namespace std::chrono_literals;

class TPtyProgram {
public:
    TPtyProgram(const std::string& program, std::vector<std::string> arguments, const std::string& folder) {
        arguments.insert(arguments.begin(), program);
        std::vector<char*> argv;
        for (auto& a : arguments) argv.push_back(a.data());
        argv.push_back(nullptr);
        FChild = ::forkpty(&FMaster, nullptr, nullptr, nullptr);
        if (FChild == 0) {
            termios mode {};
            ::tcgetattr(STDIN_FILENO, &mode);
            mode.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            ::tcsetattr(STDIN_FILENO, TCSANOW, &mode);
            ::unsetenv("DISPLAY");
            ::unsetenv("WAYLAND_DISPLAY");
            ::unsetenv("QT_QPA_PLATFORM");
            if (::chdir(folder.c_str()) != 0) ::_exit(126);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
    }
    ~TPtyProgram() {
        if (FChild > 0 && !FExited) {
            ::kill(FChild, SIGKILL);
            ::waitpid(FChild, nullptr, 0);
        }
        if (FMaster >= 0) ::close(FMaster);
    }
    TPtyProgram(const TPtyProgram&) = delete;
    TPtyProgram& operator=(const TPtyProgram&) = delete;

    bool Started() const { return FChild > 0; }

    // Waits until text appears after what earlier calls consumed.
    bool Expect(const std::string& text, std::chrono::milliseconds timeout = 10s) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (true) {
            const auto at = FOutput.find(text, FConsumed);
            if (at != std::string::npos) {
                FConsumed = at + text.size();
                return true;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left <= 0ms || !ReadSome(left)) {
                ADD_FAILURE() << "waited for \"" << text << "\"; the terminal shows:\n" << FOutput.substr(FConsumed);
                return false;
            }
        }
    }
    void Type(const std::string& line) { Send(line + "\n"); }
    // Keys as they are pressed, without Enter.
    void Press(const std::string& keys) { Send(keys); }
    void EndOfInput() { Send("\x04"); }

    // The exit status, or -1 when the program does not end in time.
    int Wait(std::chrono::milliseconds timeout = 10s) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (::waitpid(FChild, &status, WNOHANG) == FChild) {
                FExited = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            ReadSome(50ms);
        }
        return -1;
    }
    const std::string& Output() const { return FOutput; }

private:
    void Send(const std::string& bytes) { ASSERT_EQ(::write(FMaster, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size())); }
    bool ReadSome(std::chrono::milliseconds timeout) {
        pollfd poller {FMaster, POLLIN, 0};
        if (::poll(&poller, 1, static_cast<int>(timeout.count())) <= 0) return false;
        char buffer[4096];
        const ssize_t n = ::read(FMaster, buffer, sizeof buffer);
        if (n <= 0) return false;
        FOutput.append(buffer, static_cast<std::size_t>(n));
        return true;
    }
    int FMaster = -1;
    pid_t FChild = -1;
    bool FExited = false;
    std::string FOutput;
    std::size_t FConsumed = 0;
};

class ConsoleTest : public ::testing::Test {
protected:
    TTempFolder Folder;
    void SetUp() override { WriteFile(Folder / "report.ndr", GoodReport()); }
};

TEST_F(ConsoleTest, MakeARefusedNameThenAGoodOneAndReturn) {
    TPtyProgram engine(FRONT_DEMO_PDF, {"report.ndr", "Convert"}, Folder.Str());
    ASSERT_TRUE(engine.Started());
    ASSERT_TRUE(engine.Expect("--- Make an Adobe Acrobat Document ---"));
    ASSERT_TRUE(engine.Expect(" [M]ake PDF Document"));
    ASSERT_TRUE(engine.Expect("View [C]urrent PDF Document  (disabled)"));
    ASSERT_TRUE(engine.Expect("Choose a button"));
    engine.Type("m");
    ASSERT_TRUE(engine.Expect("--- PDF File Name Entry ---"));
    ASSERT_TRUE(engine.Expect("Please enter a name for the PDF file you are creating"));
    ASSERT_TRUE(engine.Expect("Name: "));
    engine.Type("Report.2004");
    ASSERT_TRUE(engine.Expect("--- Information ---"));
    ASSERT_TRUE(engine.Expect("Invalid character ."));
    engine.Type("");
    ASSERT_TRUE(engine.Expect("Name: "));
    engine.Type("Gulls");
    ASSERT_TRUE(engine.Expect("Adobe Acrobat PDF File - \"Gulls.PDF\" - rendered successfully!"));
    ASSERT_TRUE(engine.Expect("It was placed in . . .  "));
    engine.Type("");
    ASSERT_TRUE(engine.Expect("[M]ake PDF Document  (disabled)"));
    ASSERT_TRUE(engine.Expect(" > 2) View Gulls.PDF"));
    engine.Type("r");
    EXPECT_EQ(engine.Wait(), 0);
    EXPECT_TRUE(std::filesystem::exists(Folder / "Gulls.PDF"));
}

TEST_F(ConsoleTest, ViewModeRefusesMakeAndEndOfInputReturns) {
    WriteFile(Folder / "one.rtf", std::string("{\\rtf1}"));
    WriteFile(Folder / "two.pdf", std::string("%PDF"));
    TPtyProgram engine(FRONT_DEMO_RTF, {Folder.Str(), "View"}, Folder.Str());
    ASSERT_TRUE(engine.Expect("--- RTFForm ---"));
    ASSERT_TRUE(engine.Expect("Complex RTF files will not display properly in MS Word \"Normal\" display mode."));
    ASSERT_TRUE(engine.Expect("Choose a button"));
    engine.Type("M");
    ASSERT_TRUE(engine.Expect("Make RTF File is not available now."));
    engine.Type("a");
    ASSERT_TRUE(engine.Expect("RTF Files (*.RTF) in " + Folder.Str()));
    ASSERT_TRUE(engine.Expect("1) one.rtf"));
    ASSERT_TRUE(engine.Expect("cancels): "));
    EXPECT_EQ(engine.Output().find("two.pdf"), std::string::npos);
    engine.Type("nothing.rtf");
    ASSERT_TRUE(engine.Expect(Folder / "nothing.rtf does not exist - exiting"));
    engine.Type("");
    ASSERT_TRUE(engine.Expect("Choose a button"));
    engine.EndOfInput();
    EXPECT_EQ(engine.Wait(), 0);
}

TEST_F(ConsoleTest, EndOfInputInTheNameDialogCancels) {
    TPtyProgram engine(FRONT_DEMO_RTF, {"report.ndr", "Convert"}, Folder.Str());
    ASSERT_TRUE(engine.Expect("Choose a button"));
    engine.Type("m");
    ASSERT_TRUE(engine.Expect("Name: "));
    engine.EndOfInput();
    ASSERT_TRUE(engine.Expect("RTF operation cancelled by user"));
    EXPECT_EQ(engine.Wait(), 0);  // the input stays at its end: OK, then Return
}

TEST_F(ConsoleTest, AnOverwriteIsAskedOnTheTerminal) {
    WriteFile(Folder / "Gulls.PDF", std::string("old"));
    TPtyProgram engine(FRONT_DEMO_PDF, {"report.ndr", "Convert"}, Folder.Str());
    ASSERT_TRUE(engine.Expect("Choose a button"));
    engine.Type("M");
    ASSERT_TRUE(engine.Expect("Name: "));
    engine.Type("Gulls");
    ASSERT_TRUE(engine.Expect("--- Confirm ---"));
    ASSERT_TRUE(engine.Expect("Gulls.PDF already exists."));
    ASSERT_TRUE(engine.Expect("OK to OVERWRITE?"));
    ASSERT_TRUE(engine.Expect("[Y]es (Enter) / [N]o: "));
    engine.Type("n");
    ASSERT_TRUE(engine.Expect("Name: "));
    EXPECT_EQ(ReadFile(Folder / "Gulls.PDF"), "old");
    engine.Type("Gulls");
    ASSERT_TRUE(engine.Expect("[Y]es (Enter) / [N]o: "));
    engine.Type("y");
    ASSERT_TRUE(engine.Expect("rendered successfully!"));
    // Keys count from the moment their prompt shows.
    ASSERT_TRUE(engine.Expect("[O]K (Enter): "));
    engine.EndOfInput();
    EXPECT_EQ(engine.Wait(), 0);
    EXPECT_EQ(ReadFile(Folder / "Gulls.PDF").substr(0, 13), "DEMO DOCUMENT");
}

TEST_F(ConsoleTest, InvalidCommandIsShownBeforeTheDialog) {
    TPtyProgram engine(FRONT_DEMO_PDF, {"report.ndr", "convert"}, Folder.Str());
    ASSERT_TRUE(engine.Expect("--- Information ---"));
    ASSERT_TRUE(engine.Expect("Invalid Command passed"));
    engine.Type("");
    ASSERT_TRUE(engine.Expect("Choose a button"));
    engine.Type("m");
    ASSERT_TRUE(engine.Expect("Invalid file sent from Tallow -- can't make PDF"));
    ASSERT_TRUE(engine.Expect("[O]K (Enter): "));
    engine.EndOfInput();
    EXPECT_EQ(engine.Wait(), 0);
}

// One convention in every terminal dialog: a letter means its button,
// Enter the focused one, Escape on its own the cancel button; the name
// prompt tells how to cancel in keys, since any word typed is a name.
TEST_F(ConsoleTest, EscapeAloneCancelsAndOnlyAButtonsLetterChoosesIt) {
    TPtyProgram engine(FRONT_DEMO_PDF, {"report.ndr", "Convert"}, Folder.Str());
    ASSERT_TRUE(engine.Expect("Choose a button"));
    engine.Type("make");
    ASSERT_TRUE(engine.Expect("No such button"));
    engine.Type("m");
    ASSERT_TRUE(engine.Expect("Type the name and press Enter for OK; press Escape (or Ctrl-D) to cancel."));
    ASSERT_TRUE(engine.Expect("Name: "));
    engine.Press("Gul\x7f\x7f\x7f");  // typed and taken back
    engine.Press("\x1b");
    ASSERT_TRUE(engine.Expect("PDF operation cancelled by user"));
    ASSERT_TRUE(engine.Expect("[O]K (Enter): "));
    engine.Press("\x1b[A");  // an arrow key is no answer
    engine.Type("o");
    ASSERT_TRUE(engine.Expect("Choose a button"));
    engine.Type("m");
    ASSERT_TRUE(engine.Expect("Name: "));
    engine.Type("c");  // a name, not Cancel
    ASSERT_TRUE(engine.Expect("\"c.PDF\" - rendered successfully!"));
    engine.Type("");
    ASSERT_TRUE(engine.Expect("Choose a button"));
    engine.Type("1");
    ASSERT_TRUE(engine.Expect("\nMake PDF Document is not available now."));
    engine.Press("\x1b");  // Return to Tallow
    EXPECT_EQ(engine.Wait(), 0);
    EXPECT_EQ(engine.Output().find("[C]ancel"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(Folder / "c.PDF"));
}

TEST_F(ConsoleTest, ADesktopThatCannotOpenTheDocumentIsReportedWithTheShellNumber) {
    const std::string bin = Folder / "bin";
    std::filesystem::create_directories(bin);
    WriteFile(bin + "/xdg-open", std::string("#!/bin/sh\nexit 3\n"));
    std::filesystem::permissions(bin + "/xdg-open", std::filesystem::perms::owner_all);
    const TEnvironmentVariable path("PATH", bin + ":/usr/bin:/bin");
    WriteFile(Folder / "Gulls.PDF", std::string("%PDF"));
    TPtyProgram engine(FRONT_DEMO_PDF, {Folder.Str(), "View"}, Folder.Str());
    ASSERT_TRUE(engine.Expect("Choose a button"));
    engine.Type("a");
    ASSERT_TRUE(engine.Expect("1) Gulls.PDF"));
    engine.Type("1");
    ASSERT_TRUE(engine.Expect("--- Information ---"));
    ASSERT_TRUE(engine.Expect("Acrobat failed to execute 31"));
    ASSERT_TRUE(engine.Expect("[O]K (Enter): "));
    engine.EndOfInput();
    EXPECT_EQ(engine.Wait(), 0);
}

TEST_F(ConsoleTest, ConvertingWithoutADialogShowsItsProgressOnATerminalOnly) {
    WriteFile(Folder / "long.ndr", GoodReport(40));
    TPtyProgram shown(FRONT_DEMO_PDF, {"-o", Folder / "long.pdf", "long.ndr"}, Folder.Str());
    ASSERT_TRUE(shown.Expect("\rPage 1 of 40"));
    ASSERT_TRUE(shown.Expect("\rPage 40 of 40"));
    ASSERT_TRUE(shown.Expect("rendered successfully!"));
    EXPECT_EQ(shown.Wait(), 0);
    // The progress line is wiped before the outcome is printed.
    const std::string& screen = shown.Output();
    EXPECT_NE(screen.find("\r" + std::string(13, ' ') + "\r"), std::string::npos);  // "Page 40 of 40"

    TPtyProgram quiet(FRONT_DEMO_PDF, {"-q", "-o", Folder / "quiet.pdf", "long.ndr"}, Folder.Str());
    EXPECT_EQ(quiet.Wait(), 0);
    EXPECT_EQ(quiet.Output(), "");
    EXPECT_TRUE(std::filesystem::exists(Folder / "quiet.pdf"));
}

}  // namespace
}  // namespace tal::front::testing
