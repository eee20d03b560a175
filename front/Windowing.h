#pragma once
// The windowing operations the engine logic is written against. The Qt
// dialogs, the terminal dialogs and the tests' scripted windows each provide
// them; the logic never sees which.
#include <optional>
#include <string>

namespace tal::front {

// Modal message boxes. Texts arrive already cut to their length.
class TMessageBoxes {
public:
    virtual ~TMessageBoxes() = default;
    // Titled "Information", information icon, one button "OK".
    virtual void ShowInformation(const std::string& text) = 0;
    // Titled "Confirm", question icon, "&Yes" and "&No"; true only for Yes.
    virtual bool AskConfirmation(const std::string& text) = 0;
    // The application's default error report: error icon, OK, the given title.
    virtual void ShowError(const std::string& title, const std::string& text) = 0;
};

enum class TMainButton { Make, View, ViewAll, Close };

struct TDialogFont {
    std::string Name;
    int Points = 8;
    bool Bold = false;
    bool operator==(const TDialogFont&) const = default;
};

// The operations of the main dialog itself.
class TMainWindow {
public:
    virtual ~TMainWindow() = default;
    virtual void SetBusyCursor(bool busy) = 0;
    virtual void EnableButton(TMainButton button, bool enabled) = 0;
    virtual void SetButtonCaption(TMainButton button, const std::string& caption) = 0;
    virtual void FocusButton(TMainButton button) = 0;
    virtual void BringToFront() = 0;
    // Sets the dialog's own font and repaints; controls with a font of their
    // own keep it.
    virtual void SetDialogFont(const TDialogFont& font) = 0;
    virtual int ScreenLogicalDpi() = 0;
    // The open-file dialog: filter "Name|pattern", initial folder (empty: the
    // dialog's own default). The chosen name, or nothing when cancelled.
    virtual std::optional<std::string> ChooseFile(const std::string& filter, const std::string& initialFolder) = 0;
    // Closing the main dialog ends the program.
    virtual void CloseDialog() = 0;
};

// Sets the busy cursor for as long as it lives, so that the normal cursor
// comes back on every path out of a conversion.
class TBusyCursor {
public:
    explicit TBusyCursor(TMainWindow& window) : FWindow(window) { FWindow.SetBusyCursor(true); }
    ~TBusyCursor() { FWindow.SetBusyCursor(false); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;

private:
    TMainWindow& FWindow;
};

}  // namespace tal::front
