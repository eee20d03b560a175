#pragma once
// The main dialog of either engine as a Qt dialog: the controls, texts and
// window style of its profile, with the conversion driver behind them.
#include <QDialog>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "front/ConversionDriver.h"
#include "front/EngineState.h"
#include "front/NameU.h"
#include "front/qt/QtMessageBoxes.h"

class QProgressBar;
class QPushButton;

namespace tal::front::qt {

class TQtNameDialog;

class TQtMainDialog final : public QDialog, public TMainWindow {
public:
    // Builds the dialog and reads the command line; messages about it are
    // shown before the dialog is.
    TQtMainDialog(const TEngineProfile& profile, TRPRender& renderer, TShell& shell,
                  const std::vector<std::string>& arguments);
    ~TQtMainDialog() override;

    TConversionDriver& Driver() { return *FDriver; }
    TQtNameDialog& NameDialog() { return *FNameDialog; }
    QPushButton* Button(TMainButton button) const { return FButtons[static_cast<std::size_t>(button)]; }
    // "Page N of M" while a conversion runs, hidden otherwise.
    QProgressBar* Progress() const { return FProgress; }

    // ---- windowing operations ----
    void SetBusyCursor(bool busy) override;
    void EnableButton(TMainButton button, bool enabled) override;
    void SetButtonCaption(TMainButton button, const std::string& caption) override;
    void FocusButton(TMainButton button) override;
    void BringToFront() override;
    void SetDialogFont(const TDialogFont& font) override;
    int ScreenLogicalDpi() override;
    std::optional<std::string> ChooseFile(const std::string& filter, const std::string& initialFolder) override;
    void CloseDialog() override;

    // Escape and the window's closing press Return.
    void reject() override;

protected:
    bool event(QEvent* event) override;

private:
    void Build();
    QWidget* BuildControls(QWidget* area);
    void PlaceWindow();
    // After each page: the progress shown and the window repainted, while
    // what the user types or clicks waits for the conversion's end.
    void PageDone(std::int32_t page, std::int32_t pages);

    const TEngineProfile& FProfile;
    TEngineState FState;
    TQtMessageBoxes FBoxes;
    TNameForm FNameForm;
    std::unique_ptr<TQtNameDialog> FNameDialog;
    std::unique_ptr<TConversionDriver> FDriver;
    TRPRender& FRenderer;
    std::array<QPushButton*, 4> FButtons {};
    std::array<bool, 4> FEnabledBeforeBusy {};
    QProgressBar* FProgress = nullptr;
};

// "*.PDF" as a Qt file pattern that matches the letters in either case.
QString CaseInsensitivePattern(const std::string& pattern);

}  // namespace tal::front::qt
