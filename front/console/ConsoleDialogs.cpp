#include "front/console/ConsoleDialogs.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <vector>

#include "front/PathRules.h"
#include "front/Viewing.h"

namespace tal::front {

namespace {

constexpr const char* Escape = "\x1b";

std::string Title(const std::string& title) { return "--- " + title + " ---"; }

bool IsYes(const std::string& answer) {
    const auto first = answer.find_first_not_of(' ');
    return first != std::string::npos && std::tolower(static_cast<unsigned char>(answer[first])) == 'y';
}

}  // namespace

// ---- message boxes ----

void TConsoleMessageBoxes::ShowInformation(const std::string& text) {
    FTerminal.PrintLine(Title("Information"));
    FTerminal.PrintLine(text);
    FTerminal.ReadLine("[O]K (Enter): ");
}

bool TConsoleMessageBoxes::AskConfirmation(const std::string& text) {
    FTerminal.PrintLine(Title("Confirm"));
    FTerminal.PrintLine(text);
    const auto answer = FTerminal.ReadLine(ShowAccelerator("&Yes") + " / " + ShowAccelerator("&No") + ": ");
    return answer && IsYes(*answer);
}

void TConsoleMessageBoxes::ShowError(const std::string& title, const std::string& text) {
    FTerminal.PrintLine(Title(title));
    FTerminal.PrintLine("Error: " + text);
    FTerminal.ReadLine("[O]K (Enter): ");
}

// ---- name dialog ----

void TConsoleNameView::ShowModal() {
    FOpen = true;
    FTerminal.PrintLine(Title(FProfile.NameDialogTitle));
    FTerminal.PrintLine(FPrompt);
    FTerminal.PrintLine("Do not enter the extension -- just enter a name");
    FTerminal.PrintLine("Long file names are OK");
    FTerminal.PrintLine("Enter presses" + StripAccelerator(" &OK") + "; Escape or end of input presses " +
                        ShowAccelerator("&Cancel") + ".");
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
    const auto first = line.find_first_not_of(' ');
    if (first == std::string::npos) return FFocused;
    if (line.substr(first) == Escape) return TMainButton::Close;  // the cancel button
    const char key = static_cast<char>(std::tolower(static_cast<unsigned char>(line[first])));
    for (std::size_t i = 0; i < FButtons.size(); ++i) {
        if (key == static_cast<char>('1' + i) || (key == AcceleratorLetter(FButtons[i].Caption) && key != 0))
            return static_cast<TMainButton>(i);
    }
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
            FTerminal.PrintLine("No such button.");
        } else if (!At(*button).Enabled) {
            FTerminal.PrintLine(StripAccelerator(At(*button).Caption) + " is not available now.");
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
