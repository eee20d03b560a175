#pragma once
// The name dialog: asks for a bare document name, refuses characters that
// cannot stand in one, and asks before an existing document is overwritten.
// TNameForm holds the dialog's logic; a TNameView (Qt, terminal or a test
// script) shows it and forwards the user's actions to the event handlers.
#include <string>

#include "front/EngineProfile.h"
#include "front/EngineState.h"
#include "front/PathRules.h"
#include "front/Windowing.h"

namespace tal::front {

class TNameView {
public:
    virtual ~TNameView() = default;
    virtual void SetPrompt(const std::string& prompt) = 0;
    virtual std::string EditText() const = 0;
    virtual void SetEditText(const std::string& text) = 0;
    virtual void FocusEdit() = 0;
    // Shows the dialog modally and returns once CloseDialog has been called.
    // The view runs FormActivate of its form when the dialog is shown.
    virtual void ShowModal() = 0;
    virtual void CloseDialog() = 0;
};

class TNameForm {
public:
    TNameForm(const TEngineProfile& profile, TMessageBoxes& boxes, const TEngineState& state,
              TPathStyle style = HostPathStyle());

    void AttachView(TNameView& view) { FView = &view; }

    // Shows the dialog modally; the confirmed name, or "*".
    std::string AskForName();

    // ---- dialog events ----
    void FormActivate();
    // True when the key was taken (Enter presses OK); the edit box then
    // never sees it.
    bool NameEditKeyPress(char key);
    void OKBtnClick();
    void CancelBtnClick();
    void FormClose();

    // Selects the extension of the overwrite check: ".RTF" when true.
    bool RTFMode = false;
    // The edit box's text when the dialog last closed. Kept whole: the
    // document is written under exactly the name the overwrite check tested.
    std::string EnteredName;

private:
    bool AcceptName();
    bool NameIsAcceptable(const std::string& name);
    bool OverwriteAllowed(const std::string& name);
    void Close();
    TNameView& View();

    const TEngineProfile& FProfile;
    TMessageBoxes& FBoxes;
    const TEngineState& FState;
    TPathStyle FStyle;
    TNameView* FView = nullptr;
    bool FBoxShown = false;
};

// True for the characters a document name may hold: printable ASCII except
// the double quote and * + , . / : ; < = > ? \ { | } ~.
bool IsNameCharacter(char32_t code);

// The first character of name that may not stand in a document name, as it
// stands in the text (all bytes of a UTF-8 sequence, or one stray byte);
// empty when every character is accepted.
std::string FirstRefusedCharacter(const std::string& name);

}  // namespace tal::front
