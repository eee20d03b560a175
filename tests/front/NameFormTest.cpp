// The name dialog's logic: which names it takes, what it says about the
// others, and the question before an existing document is written over.
#include <gtest/gtest.h>

#include "tests/front/FrontTestSupport.h"
#include "tests/front/ScriptedWindows.h"

namespace tal::front::testing {
namespace {

using ::testing::ElementsAre;

struct TNameRig {
    explicit TNameRig(const TEngineProfile& profile, std::string folder)
        : Boxes(Log), Form(profile, Boxes, State), View(Log, Form) {
        State.DataSetFolder = std::move(folder);
    }
    std::string Ask(std::deque<TNameAction> actions) {
        View.Actions = std::move(actions);
        Log.clear();
        return Form.AskForName();
    }
    std::vector<std::string> Log;
    TEngineState State;
    TScriptedBoxes Boxes;
    TNameForm Form;
    TScriptedNameView View;
};

class NameFormTest : public ::testing::Test {
protected:
    TTempFolder Folder;
};

TEST_F(NameFormTest, RefusesTheFirstCharacterThatCannotStandInAName) {
    struct TCase {
        std::string Name, Refused;
    };
    const TCase cases[] = {
        {"Report.2004", "."}, {"Gulls/Terns", "/"}, {"Caf\xc3\xa9", "\xc3\xa9"}, {"a.b/c", "."},
        {"tab\there", "\t"},  {"del\x7f", "\x7f"},  {"say \"hi\"", "\""},        {"stray\xe9", "\xe9"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TNameRig rig(PdfEngineProfile(), Folder.Str());
        EXPECT_EQ(rig.Ask({TNameAction::Enter(c.Name), TNameAction::Enter("Good")}), "Good");
        EXPECT_THAT(rig.Log, ElementsAre("name dialog", "info: Invalid character " + c.Refused));
        // Shown once, emptied and focused again after the message.
        EXPECT_EQ(rig.View.Focused, 2);
    }
}

TEST_F(NameFormTest, EveryPrintableCharacterOfTheSetIsAcceptedAndNoOther) {
    for (char32_t code = 0; code < 0x300; ++code) {
        const bool printable = code >= 32 && code <= 126;
        const bool refusedPrintable = std::string_view("\"*+,./:;<=>?\\{|}~").find(static_cast<char>(code)) !=
                                      std::string_view::npos;
        EXPECT_EQ(IsNameCharacter(code), printable && !refusedPrintable) << static_cast<unsigned>(code);
    }
    TNameRig rig(PdfEngineProfile(), Folder.Str());
    const std::string all = " !#$%&'()-0123456789@ABCDEFGHIJKLMNOPQRSTUVWXYZ[]^_`abcdefghijklmnopqrstuvwxyz";
    EXPECT_EQ(rig.Ask({TNameAction::Enter(all)}), all);
    EXPECT_EQ(rig.Ask({TNameAction::Enter("   ")}), "   ");
}

TEST_F(NameFormTest, EmptyNamesAndCancelReturnTheMarker) {
    TNameRig rig(PdfEngineProfile(), Folder.Str());
    EXPECT_EQ(rig.Ask({TNameAction::OK()}), "*");
    EXPECT_EQ(rig.Ask({TNameAction::Typed("half"), TNameAction::Cancel()}), "*");
    EXPECT_EQ(rig.Form.EnteredName, "*");
    // Every showing starts with an empty box: nothing of the last one is left.
    EXPECT_EQ(rig.Ask({TNameAction::OK()}), "*");
    EXPECT_THAT(rig.Log, ElementsAre("name dialog"));
}

TEST_F(NameFormTest, EnterPressesOkAndNeverReachesTheBox) {
    TNameRig rig(PdfEngineProfile(), Folder.Str());
    rig.View.Actions = {TNameAction::Typed("x")};
    EXPECT_FALSE(rig.Form.NameEditKeyPress('a'));
    EXPECT_EQ(rig.Ask({TNameAction::Typed("Gulls"), TNameAction::Enter("")}), "Gulls");
}

TEST_F(NameFormTest, TheOverwriteQuestionLooksForTheEnginesOwnExtension) {
    WriteFile(Folder / "Gulls.RTF", std::string("rtf"));
    const std::string question =
        "confirm: " + (Folder / "Gulls.RTF") + " already exists.\n\r\n\rOK to OVERWRITE?";

    TNameRig rtf(RtfEngineProfile(), Folder.Str());
    rtf.Boxes.Answers = {false, true};
    EXPECT_EQ(rtf.Ask({TNameAction::Enter("Gulls"), TNameAction::Enter("Gulls")}), "Gulls");
    EXPECT_TRUE(rtf.Form.RTFMode);
    EXPECT_THAT(rtf.Log, ElementsAre("name dialog", question, question));
    EXPECT_EQ(rtf.View.Focused, 2);  // emptied after No; Yes closes the dialog with the name
    EXPECT_EQ(ReadFile(Folder / "Gulls.RTF"), "rtf");  // the dialog never touches the file

    TNameRig pdf(PdfEngineProfile(), Folder.Str());
    EXPECT_EQ(pdf.Ask({TNameAction::Enter("Gulls")}), "Gulls");
    EXPECT_FALSE(pdf.Form.RTFMode);
    EXPECT_THAT(pdf.Log, ElementsAre("name dialog"));
}

TEST_F(NameFormTest, AnEmptyNameIsCheckedAgainstTheBareExtension) {
    WriteFile(Folder / ".PDF", std::string("x"));
    TNameRig rig(PdfEngineProfile(), Folder.Str());
    rig.Boxes.Answers = {true};
    EXPECT_EQ(rig.Ask({TNameAction::OK()}), "*");
    EXPECT_THAT(rig.Log, ElementsAre("name dialog", "confirm: " + (Folder / ".PDF") +
                                                        " already exists.\n\r\n\rOK to OVERWRITE?"));
}

TEST_F(NameFormTest, AVeryLongNameComesBackWholeAndItsQuestionIsCut) {
    const std::string longName(300, 'n');
    TNameRig rig(PdfEngineProfile(), Folder.Str());
    EXPECT_EQ(rig.Ask({TNameAction::Enter(longName)}), longName);
    EXPECT_EQ(rig.Form.EnteredName, longName);

    // A folder long enough to push the question past 255 characters.
    const std::string deep = Folder / std::string(200, 'd');
    std::filesystem::create_directory(deep);
    WriteFile(deep + "/Gulls.PDF", std::string("x"));
    TNameRig far(PdfEngineProfile(), deep);
    far.Boxes.Answers = {false};
    EXPECT_EQ(far.Ask({TNameAction::Enter("Gulls"), TNameAction::Cancel()}), "*");
    ASSERT_EQ(far.Log.size(), 2u);
    EXPECT_EQ(far.Log[1], "confirm: " + (deep + "/Gulls.PDF already exists.\n\r\n\rOK to OVERWRITE?").substr(0, 255));
}

TEST(NameCharacters, FirstRefusedCharacterKeepsUtf8SequencesWhole) {
    EXPECT_EQ(FirstRefusedCharacter("Gulls"), "");
    EXPECT_EQ(FirstRefusedCharacter("\xe2\x82\xac" "5"), "\xe2\x82\xac");
    EXPECT_EQ(FirstRefusedCharacter("a\xc3"), "\xc3");  // cut short
    EXPECT_EQ(FirstRefusedCharacter("\xc0\xaf"), "\xc0");  // over-long slash
}

}  // namespace
}  // namespace tal::front::testing
