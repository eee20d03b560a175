// Opening the document just made and browsing the data set's documents,
// with a scripted shell; and the desktop opener itself, with stand-in
// openers on PATH.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "front/Viewing.h"
#include "tests/front/EngineRig.h"
#include "tests/front/FrontTestSupport.h"

namespace tal::front::testing {
namespace {

using ::testing::ElementsAre;

class ViewingTest : public ::testing::Test {
protected:
    TTempFolder Folder;
};

TEST_F(ViewingTest, ViewOpensTheDocumentJustMadeAndReportsAShellFailure) {
    const std::string report = Folder / "report.ndr";
    WriteFile(report, GoodReport());
    TEngineRig rig(PdfEngineProfile());
    rig.Start(report, "Convert");
    rig.NameView.Actions = {TNameAction::Enter("Gulls")};
    rig.Driver.MakeBtnClick();
    rig.Log.clear();
    rig.Driver.ViewBtnClick();
    rig.Shell.Result = shell_result::NoAssociation;
    rig.Driver.ViewBtnClick();
    const std::string open = "open [" + (Folder / "Gulls.PDF") + "] in [" + Folder.Str() + "]";
    EXPECT_THAT(rig.Log, ElementsAre(open, open, "info: Acrobat failed to execute 31"));
    EXPECT_EQ(rig.Driver.Mode(), TEngineMode::Made);  // viewing changes nothing

    TEngineRig rtf(RtfEngineProfile());
    rtf.State.DocPath = Folder / "gone.RTF";
    rtf.Shell.Result = shell_result::FileNotFound;
    TViewer(RtfEngineProfile(), rtf.State, rtf.Window, rtf.Boxes, rtf.Shell).ViewCurrent();
    EXPECT_EQ(rtf.Log.back(), "info: RTF application failed to execute 2");
}

TEST_F(ViewingTest, ViewAllBrowsesTheDataSetFolderWithTheEnginesFilter) {
    WriteFile(Folder / "a.PDF", std::string("x"));
    TEngineRig rig(PdfEngineProfile());
    rig.Start(Folder.Str(), "View");
    rig.Window.Choices = {std::nullopt, Folder / "a.PDF", Folder / "typed.PDF"};
    rig.Driver.ViewAllBtnClick();
    rig.Driver.ViewAllBtnClick();
    rig.Driver.ViewAllBtnClick();
    const std::string dialog = "open dialog [Acrobat Files|*.PDF] in [" + Folder.Str() + "]";
    EXPECT_THAT(rig.Log, ElementsAre(dialog, dialog, "open [" + (Folder / "a.PDF") + "] in [" + Folder.Str() + "]",
                                     dialog, "info: " + (Folder / "typed.PDF") + " does not exist - exiting"));
    EXPECT_FALSE(rig.Window.Closed);

    TEngineRig rtf(RtfEngineProfile());
    rtf.Start(Folder / "report.ndr", "Convert");
    rtf.Window.Choices = {std::nullopt};
    rtf.Driver.ViewAllBtnClick();  // before Make: the dialog's own default folder
    EXPECT_THAT(rtf.Log, ElementsAre("open dialog [RTF Files|*.RTF] in []"));
}

TEST_F(ViewingTest, AChosenFileOutsideTheDataSetOpensWithTheDataSetAsWorkingFolder) {
    TTempFolder other;
    WriteFile(other / "b.pdf", std::string("x"));
    TEngineRig rig(PdfEngineProfile());
    rig.Start(Folder.Str(), "View");
    rig.Window.Choices = {other / "b.pdf"};
    rig.Driver.ViewAllBtnClick();
    EXPECT_EQ(rig.Log.back(), "open [" + (other / "b.pdf") + "] in [" + Folder.Str() + "]");
}

TEST(ViewingPatterns, MatchLettersInEitherCase) {
    EXPECT_TRUE(MatchesPattern("Gulls.PDF", "*.PDF"));
    EXPECT_TRUE(MatchesPattern("gulls.pdf", "*.PDF"));
    EXPECT_TRUE(MatchesPattern("a.b.Rtf", "*.RTF"));
    EXPECT_TRUE(MatchesPattern(".PDF", "*.PDF"));
    EXPECT_FALSE(MatchesPattern("gulls.pdfx", "*.PDF"));
    EXPECT_FALSE(MatchesPattern("gulls_pdf", "*.PDF"));
    EXPECT_TRUE(MatchesPattern("ab", "a?"));
    EXPECT_FALSE(MatchesPattern(std::string(5000, 'a'), "*b*"));
}

// ---- the desktop opener ----

void WriteScript(const std::string& path, const std::string& body) {
    WriteFile(path, "#!/bin/sh\n" + body);
    ::chmod(path.c_str(), 0755);
}

bool WaitForFile(const std::string& path) {
    for (int i = 0; i < 100; ++i) {
        if (std::filesystem::exists(path) && !ReadFile(path).empty()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

TEST_F(ViewingTest, TheOpenerGetsTheDocumentAndWorkingFolderAndIsNotWaitedFor) {
    const std::string document = Folder / "Gulls.PDF";
    WriteFile(document, std::string("%PDF"));
    const std::string record = Folder / "record.txt";
    // Records what it was given, then keeps running, as a viewer would.
    WriteScript(Folder / "opener", "echo \"$1|$(pwd)\" > '" + record + "'\nsleep 30\n");
    TXdgOpenShell shell(Folder / "opener");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_GE(shell.OpenDocument(document, Folder.Str()), 32);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    ASSERT_TRUE(WaitForFile(record));
    EXPECT_EQ(ReadFile(record), document + "|" + std::filesystem::canonical(Folder.Path()).string() + "\n");
}

TEST_F(ViewingTest, OpenerFailuresMapToShellNumbers) {
    const std::string document = Folder / "Gulls.PDF";
    WriteFile(document, std::string("%PDF"));
    EXPECT_EQ(TXdgOpenShell(Folder / "opener").OpenDocument(Folder / "gone.PDF", ""), shell_result::FileNotFound);
    EXPECT_EQ(TXdgOpenShell(Folder / "opener").OpenDocument(document + "/x.PDF", ""), shell_result::PathNotFound);
    EXPECT_EQ(TXdgOpenShell(Folder / "no-opener").OpenDocument(document, ""), shell_result::NoAssociation);
    EXPECT_EQ(TXdgOpenShell("tal-no-such-opener").OpenDocument(document, ""), shell_result::NoAssociation);
    // On PATH but not a program that can run.
    WriteFile(Folder / "broken", std::string("\x7f" "ELF"));
    ::chmod((Folder / "broken").c_str(), 0755);
    EXPECT_EQ(TXdgOpenShell(Folder / "broken").OpenDocument(document, ""), shell_result::NoAssociation);
}

TEST_F(ViewingTest, AMissingViewerIsReportedAndTheEngineGoesOn) {
    const std::string document = Folder / "Gulls.PDF";
    WriteFile(document, std::string("%PDF"));
    TEngineRig rig(PdfEngineProfile());
    rig.State.DocPath = document;
    TXdgOpenShell missing("tal-no-such-opener");
    TViewer(PdfEngineProfile(), rig.State, rig.Window, rig.Boxes, missing).ViewCurrent();
    EXPECT_THAT(rig.Log, ElementsAre("info: Acrobat failed to execute 31"));
}

TEST_F(ViewingTest, TheOpenersExitStatusIsAwaitedAndMappedWhileTheCallerKeepsGoing) {
    const std::string document = Folder / "Gulls.PDF";
    WriteFile(document, std::string("%PDF"));
    const auto opened = [&](const std::string& script, int& calls) {
        WriteScript(Folder / "opener", script);
        TXdgOpenShell shell(Folder / "opener", std::chrono::milliseconds(4000));
        shell.SetWhileWaiting([&calls] { ++calls; });
        return shell.OpenDocument(document, Folder.Str());
    };
    int calls = 0;
    EXPECT_EQ(opened("sleep 0.3; exit 3\n", calls), shell_result::NoAssociation);
    EXPECT_GE(calls, 3);  // the caller ran while the opener worked
    EXPECT_EQ(opened("exit 4\n", calls), shell_result::NoAssociation);
    EXPECT_EQ(opened("exit 2\n", calls), shell_result::FileNotFound);
    EXPECT_EQ(opened("exit 5\n", calls), shell_result::AccessDenied);
    EXPECT_EQ(opened("exit 1\n", calls), shell_result::OutOfResources);
    EXPECT_EQ(opened("kill -9 $$\n", calls), shell_result::OutOfResources);
    EXPECT_EQ(opened("exit 0\n", calls), shell_result::Started);

    // An opener that stays (it runs the viewer itself) counts as started
    // once the wait is over.
    WriteScript(Folder / "opener", "sleep 30\n");
    TXdgOpenShell staying(Folder / "opener", std::chrono::milliseconds(300));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(staying.OpenDocument(document, ""), shell_result::Started);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST_F(ViewingTest, AFailingOpenerGivesTheEnginesMessage) {
    const std::string document = Folder / "Gulls.RTF";
    WriteFile(document, std::string("{\\rtf1}"));
    WriteScript(Folder / "opener", "exit 3\n");
    TEngineRig rig(RtfEngineProfile());
    rig.State.DocPath = document;
    TXdgOpenShell failing(Folder / "opener");
    TViewer(RtfEngineProfile(), rig.State, rig.Window, rig.Boxes, failing).ViewCurrent();
    EXPECT_THAT(rig.Log, ElementsAre("info: RTF application failed to execute 31"));
}

TEST(ShellNumbers, XdgOpenStatusesMapToTheShellsFailures) {
    EXPECT_EQ(ShellResultForOpenerExit(0), shell_result::Started);
    EXPECT_EQ(ShellResultForOpenerExit(2), shell_result::FileNotFound);
    EXPECT_EQ(ShellResultForOpenerExit(3), shell_result::NoAssociation);
    EXPECT_EQ(ShellResultForOpenerExit(4), shell_result::NoAssociation);
    EXPECT_EQ(ShellResultForOpenerExit(5), shell_result::AccessDenied);
    EXPECT_EQ(ShellResultForOpenerExit(1), shell_result::OutOfResources);
    EXPECT_EQ(ShellResultForOpenerExit(127), shell_result::OutOfResources);
}

}  // namespace
}  // namespace tal::front::testing
