// The conversion driver against scripted windows: start-up, Make, the state
// table and every message of the main dialog.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "front/FrontText.h"
#include "tests/front/EngineRig.h"
#include "tests/front/FrontTestSupport.h"

namespace tal::front::testing {
namespace {

using ::testing::ElementsAre;

const std::string PdfSuccessStart = "info: Adobe Acrobat PDF File - \"";

std::string Success(const TEngineProfile& p, const std::string& name, const std::string& folder) {
    return p.SuccessFirstWords + "\"" + name + p.Extension + "\" - rendered successfully!\n\r\n\rIt was placed in . . .  " +
           folder;
}

class DriverTest : public ::testing::Test {
protected:
    TTempFolder Folder;
    std::string Report() {
        const std::string path = Folder / "report.ndr";
        if (!std::filesystem::exists(path)) WriteFile(path, GoodReport(2));
        return path;
    }
};

TEST_F(DriverTest, ViewModeOffersOnlyBrowsing) {
    TEngineRig rig(PdfEngineProfile());
    rig.Start(Folder.Str(), "View");
    EXPECT_TRUE(rig.Log.empty());
    EXPECT_EQ(rig.Driver.Mode(), TEngineMode::View);
    EXPECT_FALSE(rig.Window.IsEnabled(TMainButton::Make));
    EXPECT_FALSE(rig.Window.IsEnabled(TMainButton::View));
    EXPECT_TRUE(rig.Window.IsEnabled(TMainButton::ViewAll));
    EXPECT_TRUE(rig.Window.IsEnabled(TMainButton::Close));
    EXPECT_EQ(rig.State.DataSetFolder, Folder.Str());
    EXPECT_EQ(rig.State.NDRFileName, "");
}

TEST_F(DriverTest, AnyCommandButTheTwoWordsIsInvalidAndMakeThenFindsNoFile) {
    for (const char* command : {"convert", "VIEW", "CONVERT", "", "Convert "}) {
        SCOPED_TRACE(command);
        TEngineRig rig(PdfEngineProfile());
        rig.Start(Report(), command);
        EXPECT_THAT(rig.Log, ElementsAre("info: Invalid Command passed"));
        EXPECT_TRUE(rig.Window.IsEnabled(TMainButton::Make));
        EXPECT_FALSE(rig.Window.IsEnabled(TMainButton::View));
        EXPECT_EQ(rig.State.NDRFileName, "");
        rig.Driver.MakeBtnClick();
        EXPECT_EQ(rig.Log.back(), "info: Invalid file sent from Tallow -- can't make PDF");
        EXPECT_EQ(rig.Driver.Mode(), TEngineMode::ConvertNotMade);
    }
}

TEST_F(DriverTest, NoArgumentsAtAllIsAnInvalidCommand) {
    TEngineRig rig(RtfEngineProfile());
    rig.Driver.FormCreate({});
    EXPECT_THAT(rig.Log, ElementsAre("info: Invalid Command passed"));
}

TEST_F(DriverTest, ConvertWithoutAReportSaysSoAtStartAndAtMake) {
    for (const auto* profile : {&PdfEngineProfile(), &RtfEngineProfile()}) {
        TEngineRig rig(*profile);
        rig.Start("", "Convert");
        rig.Driver.MakeBtnClick();
        const std::string kind = profile == &PdfEngineProfile() ? "PDF" : "RTF";
        EXPECT_THAT(rig.Log, ElementsAre("info: No NDR file sent from Tallow -- can't make " + kind,
                                         "info: Invalid file sent from Tallow -- can't make " + kind));
        EXPECT_TRUE(rig.Window.IsEnabled(TMainButton::Make));
    }
}

TEST_F(DriverTest, AMissingReportLeavesMakeAvailable) {
    TEngineRig rig(PdfEngineProfile());
    const std::string missing = Folder / "gone.ndr";
    rig.Start(missing, "Convert");
    rig.Driver.MakeBtnClick();
    rig.Driver.MakeBtnClick();
    EXPECT_THAT(rig.Log, ElementsAre("info: Invalid file sent from Tallow -- can't make PDF",
                                     "info: Invalid file sent from Tallow -- can't make PDF"));
    EXPECT_EQ(rig.State.DataSetFolder, "");
    EXPECT_EQ(rig.Driver.Mode(), TEngineMode::ConvertNotMade);
    // A folder in place of the report is no report either.
    std::filesystem::create_directory(Folder / "folder.ndr");
    TEngineRig second(PdfEngineProfile());
    second.Start(Folder / "folder.ndr", "Convert");
    second.Driver.MakeBtnClick();
    EXPECT_THAT(second.Log, ElementsAre("info: Invalid file sent from Tallow -- can't make PDF"));
}

TEST_F(DriverTest, MakeWritesTheDocumentReportsItAndEntersMadeState) {
    TEngineRig rig(PdfEngineProfile());
    rig.Start(Report(), "Convert");
    EXPECT_TRUE(rig.Log.empty());
    rig.NameView.Actions = {TNameAction::Enter("Gulls")};
    rig.Driver.MakeBtnClick();
    EXPECT_THAT(rig.Log, ElementsAre("front", "name dialog", "cursor busy", "cursor normal",
                                     "info: " + Success(PdfEngineProfile(), "Gulls", Folder.Str())));
    EXPECT_EQ(rig.NameView.Prompt, "Please enter a name for the PDF file you are creating");
    EXPECT_EQ(rig.State.DataSetFolder, Folder.Str());
    EXPECT_EQ(rig.State.DocPath, Folder / "Gulls.PDF");
    EXPECT_EQ(ReadFile(Folder / "Gulls.PDF"),
              "DEMO DOCUMENT\r\nPAGE 1\r\nRECT 1.00 1.00 2.00 2.00\r\nEND PAGE\r\nPAGE 2\r\nRECT 1.00 1.00 2.00 "
              "2.00\r\nEND PAGE\r\nEND 2\r\n");
    EXPECT_EQ(rig.Driver.Mode(), TEngineMode::Made);
    EXPECT_FALSE(rig.Window.IsEnabled(TMainButton::Make));
    EXPECT_TRUE(rig.Window.IsEnabled(TMainButton::View));
    EXPECT_EQ(rig.Window.Caption(TMainButton::View), "View Gulls.PDF");
    EXPECT_EQ(rig.Window.Focused, TMainButton::View);
    EXPECT_FALSE(rig.Window.Busy);
}

TEST_F(DriverTest, TheRtfEngineUsesItsOwnTexts) {
    TEngineRig rig(RtfEngineProfile());
    rig.Start(Report(), "Convert");
    rig.NameView.Actions = {TNameAction::Enter("Terns")};
    rig.Driver.MakeBtnClick();
    EXPECT_EQ(rig.Log.back(), "info: RTF File - \"Terns.RTF\" - rendered successfully!\n\r\n\rIt was placed in . . .  " +
                                  Folder.Str());
    EXPECT_EQ(rig.NameView.Prompt, "Please enter a name for the RTF file you are creating");
    EXPECT_TRUE(std::filesystem::exists(Folder / "Terns.RTF"));
    EXPECT_EQ(rig.Window.Caption(TMainButton::View), "View Terns.RTF");
}

TEST_F(DriverTest, NamesOfFifteenCharactersGetTheLongNameCaption) {
    struct TCase {
        const TEngineProfile* Profile;
        std::string Name, Caption;
    };
    const TCase cases[] = {
        {&PdfEngineProfile(), "Fourteen_chars", "View Fourteen_chars.PDF"},
        {&PdfEngineProfile(), "Fifteen_chars_x", "View Current PDF File"},
        {&RtfEngineProfile(), "Fourteen_chars", "View Fourteen_chars.RTF"},
        {&RtfEngineProfile(), "Fifteen_chars_x", "View Current RTF File"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Caption);
        TEngineRig rig(*c.Profile);
        rig.Start(Report(), "Convert");
        rig.NameView.Actions = {TNameAction::Enter(c.Name)};
        rig.Driver.MakeBtnClick();
        EXPECT_EQ(rig.Window.Caption(TMainButton::View), c.Caption);
    }
}

TEST_F(DriverTest, ACancelledNameLeavesMakeForASecondTry) {
    TEngineRig rig(PdfEngineProfile());
    rig.Start(Report(), "Convert");
    rig.NameView.Actions = {TNameAction::Cancel()};
    rig.Driver.MakeBtnClick();
    EXPECT_EQ(rig.Log.back(), "info: PDF operation cancelled by user");
    EXPECT_EQ(rig.Driver.Mode(), TEngineMode::ConvertNotMade);
    EXPECT_TRUE(rig.Window.IsEnabled(TMainButton::Make));
    EXPECT_FALSE(rig.Window.IsEnabled(TMainButton::View));
    EXPECT_EQ(rig.State.DataSetFolder, Folder.Str());
    EXPECT_EQ(rig.State.DocName, "*");

    rig.NameView.Actions = {TNameAction::OK()};  // an empty name is a cancellation too
    rig.Driver.MakeBtnClick();
    EXPECT_EQ(rig.Log.back(), "info: PDF operation cancelled by user");

    rig.NameView.Actions = {TNameAction::Enter("Gulls")};
    rig.Driver.MakeBtnClick();
    EXPECT_EQ(rig.Driver.Mode(), TEngineMode::Made);
    EXPECT_TRUE(std::filesystem::exists(Folder / "Gulls.PDF"));
}

TEST_F(DriverTest, AnExistingDocumentIsWrittenOverOnlyAfterYes) {
    TEngineRig rig(PdfEngineProfile());
    rig.Start(Report(), "Convert");
    WriteFile(Folder / "Gulls.PDF", std::string("old"));
    rig.Boxes.Answers = {false, true};
    rig.NameView.Actions = {TNameAction::Enter("Gulls"), TNameAction::Enter("Gulls")};
    rig.Driver.MakeBtnClick();
    const std::string question = "confirm: " + (Folder / "Gulls.PDF") + " already exists.\n\r\n\rOK to OVERWRITE?";
    EXPECT_THAT(rig.Log, ElementsAre("front", "name dialog", question, question, "cursor busy", "cursor normal",
                                     "info: " + Success(PdfEngineProfile(), "Gulls", Folder.Str())));
    EXPECT_EQ(ReadFile(Folder / "Gulls.PDF").substr(0, 13), "DEMO DOCUMENT");
}

TEST_F(DriverTest, AMalformedReportShowsTheErrorBoxAndOffersNoDocumentToView) {
    const std::string report = Folder / "bad.ndr";
    WriteFile(report, MalformedReport());
    for (const auto* profile : {&PdfEngineProfile(), &RtfEngineProfile()}) {
        TEngineRig rig(*profile);
        rig.Start(report, "Convert");
        rig.NameView.Actions = {TNameAction::Enter("Broken")};
        rig.Driver.MakeBtnClick();
        EXPECT_THAT(rig.Log, ElementsAre("front", "name dialog", "cursor busy", "cursor normal",
                                         "error [" + profile->ApplicationTitle +
                                             "]: Unexpected header code [65] found in report file."));
        // No document was made: View stays disabled with its first caption,
        // and one conversion per run leaves Make disabled too.
        EXPECT_EQ(rig.Driver.Mode(), TEngineMode::Failed);
        EXPECT_FALSE(rig.Window.IsEnabled(TMainButton::Make));
        EXPECT_FALSE(rig.Window.IsEnabled(TMainButton::View));
        EXPECT_EQ(rig.Window.Caption(TMainButton::View), "");
        EXPECT_EQ(rig.Window.Focused, TMainButton::Close);
        EXPECT_FALSE(rig.Window.Busy);
        EXPECT_FALSE(std::filesystem::exists(Folder / ("Broken" + profile->Extension)));
        rig.Driver.ViewBtnClick();
        EXPECT_EQ(rig.Log.size(), 5u);
    }
}

TEST_F(DriverTest, AnEmptyReportIsNamedAsSuchInTheErrorBox) {
    const std::string report = Folder / "empty.ndr";
    WriteFile(report, std::vector<std::uint8_t> {});
    TEngineRig rig(PdfEngineProfile());
    rig.Start(report, "Convert");
    rig.NameView.Actions = {TNameAction::Enter("Nothing")};
    rig.Driver.MakeBtnClick();
    ASSERT_FALSE(rig.Log.empty());
    EXPECT_EQ(rig.Log.back(), "error [" + PdfEngineProfile().ApplicationTitle + "]: The report file \"" + report +
                                  "\" is empty.");
    EXPECT_EQ(rig.Driver.Mode(), TEngineMode::Failed);
}

std::vector<std::string> FolderContents(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(DriverTest, AFailedConversionLeavesThePreviousDocumentAsItWas) {
    // Yes to the overwrite question, then the report fails: the document the
    // user had stays, and what the engine finished of the new one lies beside
    // it under a name that says so.
    WriteFile(Folder / "broken.ndr", BrokenSecondPageReport());
    WriteFile(Folder / "Gulls.PDF", std::string("old"));
    TEngineRig rig(PdfEngineProfile());
    rig.Start(Folder / "broken.ndr", "Convert");
    rig.Boxes.Answers = {true};
    rig.NameView.Actions = {TNameAction::Enter("Gulls")};
    rig.Driver.MakeBtnClick();
    EXPECT_EQ(rig.Log.back(), "error [Tallow Adobe Acrobat PDF Machine]: Unexpected code [44] found in report file.");
    EXPECT_EQ(ReadFile(Folder / "Gulls.PDF"), "old");
    EXPECT_EQ(ReadFile(Folder / "Gulls.incomplete.PDF"), "DEMO DOCUMENT\r\nPAGE 1\r\nRECT 1.00 1.00 2.00 2.00\r\nEND PAGE\r\nPAGE 2\r\nEND 2\r\n");
    EXPECT_FALSE(rig.Window.IsEnabled(TMainButton::View));

    // A report that fails before its document begins leaves nothing beside it.
    WriteFile(Folder / "bad.ndr", MalformedReport());
    TEngineRig second(RtfEngineProfile());
    second.Start(Folder / "bad.ndr", "Convert");
    WriteFile(Folder / "Gulls.RTF", std::string("old"));
    second.Boxes.Answers = {true};
    second.NameView.Actions = {TNameAction::Enter("Gulls")};
    second.Driver.MakeBtnClick();
    EXPECT_EQ(ReadFile(Folder / "Gulls.RTF"), "old");
    EXPECT_THAT(FolderContents(Folder.Path()), ElementsAre("Gulls.PDF", "Gulls.RTF", "Gulls.incomplete.PDF", "bad.ndr",
                                                           "broken.ndr"));
}

TEST_F(DriverTest, ADocumentThatCannotBeCreatedIsReportedThroughTheErrorBox) {
    TEngineRig rig(PdfEngineProfile());
    rig.Start(Report(), "Convert");
    std::filesystem::create_directory(Folder / "Gulls.PDF");  // in the way, even for root
    rig.NameView.Actions = {TNameAction::Enter("Gulls")};
    rig.Driver.MakeBtnClick();
    ASSERT_FALSE(rig.Log.empty());
    EXPECT_EQ(rig.Log.back().rfind("error [Tallow Adobe Acrobat PDF Machine]: Cannot create file \"" +
                                       (Folder / "Gulls.PDF") + "\"",
                                   0),
              0u)
        << rig.Log.back();
    EXPECT_EQ(rig.Driver.Mode(), TEngineMode::Failed);
}

TEST_F(DriverTest, AReadOnlyDataSetFolderIsReportedThroughTheErrorBox) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    TEngineRig rig(PdfEngineProfile());
    rig.Start(Report(), "Convert");
    std::filesystem::permissions(Folder.Path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    rig.NameView.Actions = {TNameAction::Enter("Gulls")};
    rig.Driver.MakeBtnClick();
    EXPECT_NE(rig.Log.back().find("Cannot create file"), std::string::npos);
    EXPECT_EQ(rig.Driver.Mode(), TEngineMode::Failed);
}

TEST_F(DriverTest, AReportNamedWithoutAFolderMakesItsDocumentInTheCurrentFolder) {
    Report();
    TCurrentFolder here(Folder.Path());
    TEngineRig rig(PdfEngineProfile());
    rig.Start("report.ndr", "Convert");
    rig.NameView.Actions = {TNameAction::Enter("Gulls")};
    rig.Driver.MakeBtnClick();
    EXPECT_EQ(rig.State.DataSetFolder, std::filesystem::current_path().string());
    EXPECT_TRUE(std::filesystem::exists(Folder / "Gulls.PDF"));
    EXPECT_EQ(rig.Log.back(), "info: " + Success(PdfEngineProfile(), "Gulls", rig.State.DataSetFolder));
}

TEST_F(DriverTest, LongPathsStayWholeWhileMessagesAreCut) {
    std::filesystem::path deep = Folder.Path();
    for (int i = 0; i < 4; ++i) deep /= std::string(80, static_cast<char>('a' + i));
    std::filesystem::create_directories(deep);
    const std::string report = (deep / "report.ndr").string();
    WriteFile(report, GoodReport());
    TEngineRig rig(PdfEngineProfile());
    rig.Start(report, "Convert");
    rig.NameView.Actions = {TNameAction::Enter("Gulls")};
    rig.Driver.MakeBtnClick();
    EXPECT_EQ(rig.State.NDRFileName, report);
    EXPECT_EQ(rig.State.DataSetFolder, deep.string());
    EXPECT_EQ(rig.State.DocPath, (deep / "Gulls.PDF").string());
    EXPECT_TRUE(std::filesystem::exists(deep / "Gulls.PDF"));
    const std::string expected = Success(PdfEngineProfile(), "Gulls", deep.string()).substr(0, 255);
    EXPECT_EQ(rig.Log.back(), "info: " + expected);
}

TEST_F(DriverTest, AScreenAwayFrom96DpiTakesTheSmallBoldFontAtEveryActivation) {
    TEngineRig odd(PdfEngineProfile());
    odd.Window.Dpi = 120;
    odd.Start(Report(), "Convert");
    EXPECT_TRUE(odd.State.NonStandardDPI);
    odd.Driver.FormActivate();
    odd.Driver.FormActivate();
    ASSERT_TRUE(odd.Window.Font);
    EXPECT_EQ(*odd.Window.Font, (TDialogFont {"MS Sans Serif", 6, true}));
    EXPECT_EQ(odd.Window.FontChanges, 2);

    TEngineRig normal(PdfEngineProfile());
    normal.Start(Report(), "Convert");
    normal.NameView.Actions = {TNameAction::Enter("Gulls")};
    normal.Driver.FormActivate();
    normal.Driver.MakeBtnClick();
    EXPECT_FALSE(normal.State.NonStandardDPI);
    EXPECT_EQ(normal.Window.FontChanges, 0);
}

TEST_F(DriverTest, ReturnClosesAtAnyTime) {
    TEngineRig rig(PdfEngineProfile());
    rig.Start(Folder / "bad.ndr", "Convert");
    rig.Driver.CloseBtnClick();
    EXPECT_TRUE(rig.Window.Closed);
}

}  // namespace
}  // namespace tal::front::testing
