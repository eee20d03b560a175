#pragma once
// The engine's dialogs on a terminal: the same texts and states as the
// windows, buttons chosen by their accelerator letter, message boxes printed
// with their title. End of input presses Cancel in the name dialog, No in a
// question, OK in a message box and Return in the main dialog.
#include <array>
#include <string>

#include "front/ConversionDriver.h"
#include "front/EngineProfile.h"
#include "front/NameU.h"
#include "front/Windowing.h"
#include "front/console/Terminal.h"

namespace tal::front {

class TConsoleMessageBoxes final : public TMessageBoxes {
public:
    explicit TConsoleMessageBoxes(TTerminal& terminal) : FTerminal(terminal) {}
    void ShowInformation(const std::string& text) override;
    bool AskConfirmation(const std::string& text) override;
    void ShowError(const std::string& title, const std::string& text) override;

private:
    TTerminal& FTerminal;
};

class TConsoleNameView final : public TNameView {
public:
    TConsoleNameView(TTerminal& terminal, TNameForm& form, const TEngineProfile& profile)
        : FTerminal(terminal), FForm(form), FProfile(profile) {}
    void SetPrompt(const std::string& prompt) override { FPrompt = prompt; }
    std::string EditText() const override { return FText; }
    void SetEditText(const std::string& text) override { FText = text; }
    void FocusEdit() override {}
    void ShowModal() override;
    void CloseDialog() override { FOpen = false; }

private:
    TTerminal& FTerminal;
    TNameForm& FForm;
    const TEngineProfile& FProfile;
    std::string FPrompt;
    std::string FText;
    bool FOpen = false;
};

class TConsoleMainDialog final : public TMainWindow {
public:
    TConsoleMainDialog(TTerminal& terminal, const TEngineProfile& profile);

    // Shows the dialog and handles the user's choices until it closes.
    void Run(TConversionDriver& driver);

    void SetBusyCursor(bool busy) override;
    void EnableButton(TMainButton button, bool enabled) override { At(button).Enabled = enabled; }
    void SetButtonCaption(TMainButton button, const std::string& caption) override { At(button).Caption = caption; }
    void FocusButton(TMainButton button) override { FFocused = button; }
    void BringToFront() override {}
    void SetDialogFont(const TDialogFont&) override {}  // a terminal keeps its own font
    int ScreenLogicalDpi() override { return 96; }
    std::optional<std::string> ChooseFile(const std::string& filter, const std::string& initialFolder) override;
    void CloseDialog() override { FOpen = false; }

private:
    struct TButtonState {
        std::string Caption;
        bool Enabled = true;
    };
    TButtonState& At(TMainButton button) { return FButtons[static_cast<std::size_t>(button)]; }
    void PrintDialog();
    // The button the line names, if it names an enabled one.
    std::optional<TMainButton> Choice(const std::string& line);
    void Press(TConversionDriver& driver, TMainButton button);

    TTerminal& FTerminal;
    const TEngineProfile& FProfile;
    std::array<TButtonState, 4> FButtons;
    std::optional<TMainButton> FFocused;
    bool FOpen = true;
};

}  // namespace tal::front
