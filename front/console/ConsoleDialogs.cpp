#include "front/console/ConsoleDialogs.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <vector>

#include "front/PathRules.h"
#include "front/Viewing.h"
#include "front/console/KeyReader.h"

namespace tal::front {

namespace {

constexpr const char* Escape = EscapeKey;

std::string Title(const std::string& title) { return "--- " + title + " ---"; }

// A caption as a sentence starts with it: without its accelerator mark and
// the blanks the button leaves before its text.
std::string CaptionInText(const std::string& caption) {
    const std::string plain = StripAccelerator(caption);
    const auto first = plain.find_first_not_of(' ');
    return first == std::string::npos ? plain : plain.substr(first);
}

// The one way every terminal dialog reads a choice: the accelerator letter
// of a button (either case, blanks around it allowed) chooses that button,
// an empty line the focused one, Escape the cancel button. Anything else
// chooses nothing.
struct TChoiceButtons {
    std::vector<std::string> Captions;
    std::size_t Focused = 0;
    std::size_t CancelButton = 0;
};

std::optional<std::size_t> ChosenButton(const TChoiceButtons& buttons, const std::string& line) {
    const auto first = line.find_first_not_of(' ');
    if (first == std::string::npos) return buttons.Focused;
    const auto last = line.find_last_not_of(' ');
    const std::string word = line.substr(first, last - first + 1);
    if (word == Escape) return buttons.CancelButton;
    if (word.size() != 1) return std::nullopt;
    const char key = static_cast<char>(std::tolower(static_cast<unsigned char>(word[0])));
    for (std::size_t i = 0; i < buttons.Captions.size(); ++i)
        if (key == AcceleratorLetter(buttons.Captions[i])) return i;
    return std::nullopt;
}

// Asks until a button is chosen; the end of input chooses the cancel button.
std::size_t AskForButton(TTerminal& terminal, const TChoiceButtons& buttons) {
    std::string prompt;
    for (std::size_t i = 0; i < buttons.Captions.size(); ++i) {
        if (i > 0) prompt += " / ";
        prompt += ShowAccelerator(buttons.Captions[i]);
        if (i == buttons.Focused) prompt += " (Enter)";
    }
    prompt += ": ";
    while (true) {
        const auto line = terminal.ReadLine(prompt);
        if (!line) return buttons.CancelButton;
        if (const auto chosen = ChosenButton(buttons, *line)) return *chosen;
        terminal.PrintLine("No such button: type the letter in brackets, or Enter.");
    }
}

}  // namespace

// ---- message boxes ----

void TConsoleMessageBoxes::ShowInformation(const std::string& text) {
    FTerminal.PrintLine(Title("Information"));
    FTerminal.PrintLine(text);
    AskForButton(FTerminal, {{"&OK"}, 0, 0});
}

bool TConsoleMessageBoxes::AskConfirmation(const std::string& text) {
    FTerminal.PrintLine(Title("Confirm"));
    FTerminal.PrintLine(text);
    // Yes is the box's default button, as in the windows; closing it any
    // other way is No.
    return AskForButton(FTerminal, {{"&Yes", "&No"}, 0, 1}) == 0;
}

void TConsoleMessageBoxes::ShowError(const std::string& title, const std::string& text) {
    FTerminal.PrintLine(Title(title));
    FTerminal.PrintLine("Error: " + text);
    AskForButton(FTerminal, {{"&OK"}, 0, 0});
}

// ---- name dialog ----

void TConsoleNameView::ShowModal() {
    FOpen = true;
    FTerminal.PrintLine(Title(FProfile.NameDialogTitle));
    FTerminal.PrintLine(FPrompt);
    FTerminal.PrintLine("Do not enter the extension -- just enter a name");
    FTerminal.PrintLine("Long file names are OK");
    // Whatever is typed is the name, so cancelling is said in keys only.
    FTerminal.PrintLine("Type the name and press Enter for OK; press Escape (or Ctrl-D) to cancel.");
    FForm.FormActivate();
    while (FOpen) {
        const auto line = FTerminal.ReadLine("Name: ");
        if (!line || *line == Escape) {
            FForm.CancelBtnClick();
            continue;
        }
        FText = *line;
        FForm.NameEditKeyPress('\r');
    }
}

// ---- main dialog ----

TConsoleMainDialog::TConsoleMainDialog(TTerminal& terminal, const TEngineProfile& profile)
    : FTerminal(terminal), FProfile(profile) {
    At(TMainButton::Make).Caption = profile.MakeCaption;
    At(TMainButton::View).Caption = profile.ViewCaption;
    At(TMainButton::ViewAll).Caption = profile.ViewAllCaption;
    At(TMainButton::Close).Caption = profile.CloseCaption;
}

void TConsoleMainDialog::SetBusyCursor(bool busy) {
    if (busy) FTerminal.PrintLine("Working . . .");
}

void TConsoleMainDialog::PrintDialog() {
    FTerminal.PrintLine("");
    FTerminal.PrintLine(Title(FProfile.WindowTitle));
    for (const auto* label : {&FProfile.Label1, &FProfile.Label2, &FProfile.Label3, &FProfile.Label4})
        if (!label->empty()) FTerminal.PrintLine(StripAccelerator(*label));
    for (std::size_t i = 0; i < FButtons.size(); ++i) {
        const auto& button = FButtons[i];
        const bool focused = FFocused && static_cast<std::size_t>(*FFocused) == i;
        FTerminal.PrintLine(std::string(focused ? " > " : "   ") + std::to_string(i + 1) + ") " +
                            ShowAccelerator(button.Caption) + (button.Enabled ? "" : "  (disabled)"));
    }
}

std::optional<TMainButton> TConsoleMainDialog::Choice(const std::string& line) {
    if (line.find_first_not_of(' ') == std::string::npos) return FFocused;
    // Besides its letter, a button of the main dialog answers to its number.
    const auto first = line.find_first_not_of(' ');
    const auto last = line.find_last_not_of(' ');
    if (first == last && line[first] >= '1' && line[first] < static_cast<char>('1' + FButtons.size()))
        return static_cast<TMainButton>(line[first] - '1');
    TChoiceButtons buttons;
    for (const auto& button : FButtons) buttons.Captions.push_back(button.Caption);
    buttons.Focused = static_cast<std::size_t>(FFocused.value_or(TMainButton::Close));
    buttons.CancelButton = static_cast<std::size_t>(TMainButton::Close);
    if (const auto chosen = ChosenButton(buttons, line)) return static_cast<TMainButton>(*chosen);
    return std::nullopt;
}

void TConsoleMainDialog::Press(TConversionDriver& driver, TMainButton button) {
    switch (button) {
        case TMainButton::Make: driver.MakeBtnClick(); break;
        case TMainButton::View: driver.ViewBtnClick(); break;
        case TMainButton::ViewAll: driver.ViewAllBtnClick(); break;
        case TMainButton::Close: driver.CloseBtnClick(); break;
    }
}

void TConsoleMainDialog::Run(TConversionDriver& driver) {
    if (!FFocused) FFocused = At(TMainButton::Make).Enabled ? TMainButton::Make : TMainButton::ViewAll;
    driver.FormActivate();
    while (FOpen) {
        PrintDialog();
        const auto line = FTerminal.ReadLine("Choose a button by its letter or number: ");
        if (!line) {
            driver.CloseBtnClick();  // end of input: Return to Tallow
            continue;
        }
        const auto button = Choice(*line);
        if (!button) {
            FTerminal.PrintLine("No such button: type the letter in brackets or the number, or Enter.");
        } else if (!At(*button).Enabled) {
            FTerminal.PrintLine(CaptionInText(At(*button).Caption) + " is not available now.");
        } else {
            FFocused = *button;
            Press(driver, *button);
        }
    }
}

std::optional<std::string> TConsoleMainDialog::ChooseFile(const std::string& filter,
                                                          const std::string& initialFolder) {
    const TFileFilter parts = ParseFilter(filter);
    const std::string folder = initialFolder.empty() ? CurrentFolder() : initialFolder;
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (it->is_regular_file(error) && MatchesPattern(name, parts.Pattern)) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    FTerminal.PrintLine(Title("Open"));
    FTerminal.PrintLine(parts.Name + " (" + parts.Pattern + ") in " + folder);
    if (names.empty()) FTerminal.PrintLine("   (no files)");
    for (std::size_t i = 0; i < names.size(); ++i) FTerminal.PrintLine("   " + std::to_string(i + 1) + ") " + names[i]);
    const auto line = FTerminal.ReadLine("File name or number (empty line or end of input cancels): ");
    if (!line || line->empty() || *line == Escape) return std::nullopt;
    const bool number = line->find_first_not_of("0123456789") == std::string::npos && line->size() < 9;
    if (number && std::stoul(*line) >= 1 && std::stoul(*line) <= names.size())
        return folder + "/" + names[std::stoul(*line) - 1];
    if ((*line)[0] == '/') return *line;
    return folder + "/" + *line;  // a typed name lies in the folder shown
}

}  // namespace tal::front
