#include "front/NameU.h"

#include <stdexcept>
#include <string_view>

#include "front/FrontText.h"
#include "front/Utf8.h"
#include "platform/Stream.h"

namespace tal::front {

bool IsNameCharacter(char32_t code) {
    if (code < 32 || code > 126) return false;
    constexpr std::string_view refused = "\"*+,./:;<=>?\\{|}~";
    return refused.find(static_cast<char>(code)) == std::string_view::npos;
}

std::string FirstRefusedCharacter(const std::string& name) {
    std::size_t at = 0;
    while (at < name.size()) {
        const TUtf8Char c = NextUtf8Char(name, at);
        if (!c.Valid || !IsNameCharacter(c.Code)) return name.substr(at, c.Length);
        at += c.Length;
    }
    return {};
}

TNameForm::TNameForm(const TEngineProfile& profile, TMessageBoxes& boxes, const TEngineState& state,
                     TPathStyle style)
    : FProfile(profile), FBoxes(boxes), FState(state), FStyle(style) {}

TNameView& TNameForm::View() {
    if (!FView) throw std::logic_error("The name dialog has no view");
    return *FView;
}

std::string TNameForm::AskForName() {
    if (FProfile.RtfNameMode) RTFMode = true;
    View().SetPrompt(FProfile.NamePrompt);
    View().ShowModal();
    return EnteredName;
}

void TNameForm::FormActivate() {
    // Every activation starts over with an empty box, also after a refused
    // name, so the name is always typed anew.
    View().SetEditText("");
    View().FocusEdit();
}

bool TNameForm::NameEditKeyPress(char key) {
    if (key != '\r') return false;
    OKBtnClick();
    return true;
}

bool TNameForm::NameIsAcceptable(const std::string& name) {
    const std::string refused = FirstRefusedCharacter(name);
    if (refused.empty()) return true;
    FBoxes.ShowInformation(CutText("Invalid character " + refused));
    FBoxShown = true;
    return false;
}

bool TNameForm::OverwriteAllowed(const std::string& name) {
    const std::string path =
        DocumentPath(FState.DataSetFolder, name, RTFMode ? ".RTF" : ".PDF", FStyle);
    if (!FileExists(path)) return true;
    FBoxShown = true;
    return FBoxes.AskConfirmation(
        CutText(path + " already exists." + std::string(ParagraphBreak) + "OK to OVERWRITE?"));
}

bool TNameForm::AcceptName() {
    const std::string name = View().EditText();
    if (!NameIsAcceptable(name)) return false;
    if (!OverwriteAllowed(name)) return false;
    if (name.empty()) View().SetEditText(CancelMarker);
    return true;
}

void TNameForm::OKBtnClick() {
    FBoxShown = false;
    if (AcceptName()) {
        Close();
    } else if (FBoxShown) {
        // The dialog becomes active again once the handler is done with the
        // box, and activation starts the name over.
        FormActivate();
    }
}

void TNameForm::CancelBtnClick() {
    View().SetEditText(CancelMarker);
    Close();
}

void TNameForm::FormClose() { EnteredName = View().EditText(); }

void TNameForm::Close() {
    FormClose();
    View().CloseDialog();
}

}  // namespace tal::front
