#pragma once
// Windows that follow a script: message boxes, the main dialog and the name
// dialog record what the engine does with them as lines of a log, and take
// the user's answers from queues the test fills in beforehand.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "front/NameU.h"
#include "front/Shell.h"
#include "front/Windowing.h"

namespace tal::front::testing {

inline std::string ButtonName(TMainButton button) {
    switch (button) {
        case TMainButton::Make: return "Make";
        case TMainButton::View: return "View";
        case TMainButton::ViewAll: return "ViewAll";
        case TMainButton::Close: return "Close";
    }
    return "?";
}

class TScriptedBoxes final : public TMessageBoxes {
public:
    explicit TScriptedBoxes(std::vector<std::string>& log) : FLog(log) {}
    void ShowInformation(const std::string& text) override { FLog.push_back("info: " + text); }
    bool AskConfirmation(const std::string& text) override {
        FLog.push_back("confirm: " + text);
        if (Answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << text;
            return false;
        }
        const bool answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    void ShowError(const std::string& title, const std::string& text) override {
        FLog.push_back("error [" + title + "]: " + text);
    }
    std::deque<bool> Answers;

private:
    std::vector<std::string>& FLog;
};

class TScriptedMainWindow final : public TMainWindow {
public:
    explicit TScriptedMainWindow(std::vector<std::string>& log) : FLog(log) {}
    void SetBusyCursor(bool busy) override {
        Busy = busy;
        FLog.push_back(busy ? "cursor busy" : "cursor normal");
    }
    void EnableButton(TMainButton button, bool enabled) override {
        Enabled[static_cast<int>(button)] = enabled;
    }
    void SetButtonCaption(TMainButton button, const std::string& caption) override {
        Captions[static_cast<int>(button)] = caption;
    }
    void FocusButton(TMainButton button) override { Focused = button; }
    void BringToFront() override { FLog.push_back("front"); }
    void SetDialogFont(const TDialogFont& font) override { Font = font; ++FontChanges; }
    int ScreenLogicalDpi() override { return Dpi; }
    std::optional<std::string> ChooseFile(const std::string& filter, const std::string& folder) override {
        FLog.push_back("open dialog [" + filter + "] in [" + folder + "]");
        if (Choices.empty()) {
            ADD_FAILURE() << "unexpected open-file dialog";
            return std::nullopt;
        }
        auto choice = Choices.front();
        Choices.pop_front();
        return choice;
    }
    void CloseDialog() override { Closed = true; }

    bool IsEnabled(TMainButton button) const { return Enabled[static_cast<int>(button)]; }
    const std::string& Caption(TMainButton button) const { return Captions[static_cast<int>(button)]; }

    int Dpi = 96;
    bool Busy = false;
    bool Closed = false;
    bool Enabled[4] = {true, true, true, true};
    std::string Captions[4];
    std::optional<TMainButton> Focused;
    std::optional<TDialogFont> Font;
    int FontChanges = 0;
    std::deque<std::optional<std::string>> Choices;

private:
    std::vector<std::string>& FLog;
};

// One thing the user does in the name dialog.
struct TNameAction {
    enum class Kind { Type, TypeAndEnter, Ok, Cancel } What;
    std::string Text;
    static TNameAction Enter(std::string text) { return {Kind::TypeAndEnter, std::move(text)}; }
    static TNameAction Typed(std::string text) { return {Kind::Type, std::move(text)}; }
    static TNameAction OK() { return {Kind::Ok, {}}; }
    static TNameAction Cancel() { return {Kind::Cancel, {}}; }
};

class TScriptedNameView final : public TNameView {
public:
    TScriptedNameView(std::vector<std::string>& log, TNameForm& form) : FLog(log), FForm(form) {
        form.AttachView(*this);
    }
    void SetPrompt(const std::string& prompt) override { Prompt = prompt; }
    std::string EditText() const override { return FText; }
    void SetEditText(const std::string& text) override { FText = text; }
    void FocusEdit() override { ++Focused; }
    void ShowModal() override {
        FLog.push_back("name dialog");
        FOpen = true;
        FForm.FormActivate();
        while (FOpen) {
            if (Actions.empty()) {
                ADD_FAILURE() << "the name dialog is still open and the script is over";
                FForm.CancelBtnClick();
                break;
            }
            Do(Actions.front());
            Actions.pop_front();
        }
    }
    void CloseDialog() override { FOpen = false; }

    std::deque<TNameAction> Actions;
    std::string Prompt;
    int Focused = 0;

private:
    void Type(const std::string& text) {
        for (char c : text)
            if (!FForm.NameEditKeyPress(c)) FText += c;
    }
    void Do(const TNameAction& action) {
        switch (action.What) {
            case TNameAction::Kind::Type: Type(action.Text); break;
            case TNameAction::Kind::TypeAndEnter:
                Type(action.Text);
                if (FOpen) FForm.NameEditKeyPress('\r');
                break;
            case TNameAction::Kind::Ok: FForm.OKBtnClick(); break;
            case TNameAction::Kind::Cancel: FForm.CancelBtnClick(); break;
        }
    }
    std::vector<std::string>& FLog;
    TNameForm& FForm;
    std::string FText;
    bool FOpen = false;
};

class TScriptedShell final : public TShell {
public:
    explicit TScriptedShell(std::vector<std::string>& log) : FLog(log) {}
    int OpenDocument(const std::string& path, const std::string& folder) override {
        FLog.push_back("open [" + path + "] in [" + folder + "]");
        return Result;
    }
    int Result = shell_result::Started;

private:
    std::vector<std::string>& FLog;
};

}  // namespace tal::front::testing
