#pragma once
// The name dialog as a Qt dialog.
#include <QDialog>

#include "front/NameU.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace tal::front::qt {

class TQtNameDialog final : public QDialog, public TNameView {
public:
    TQtNameDialog(const TEngineProfile& profile, TNameForm& form, QWidget* parent = nullptr);

    void SetPrompt(const std::string& prompt) override;
    std::string EditText() const override;
    void SetEditText(const std::string& text) override;
    void FocusEdit() override;
    void ShowModal() override;
    void CloseDialog() override;

    // Escape and the window's closing press Cancel.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Build(const TEngineProfile& profile);

    TNameForm& FForm;
    QLabel* FLabel1 = nullptr;
    QLineEdit* FNameEdit = nullptr;
};

}  // namespace tal::front::qt
