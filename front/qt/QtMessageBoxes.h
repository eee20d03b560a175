#pragma once
// The modal message boxes of the engines, as Qt message boxes.
#include <QWidget>

#include "front/Windowing.h"

namespace tal::front::qt {

class TQtMessageBoxes final : public TMessageBoxes {
public:
    // Boxes are shown over parent (or over no window while there is none).
    void SetParent(QWidget* parent) { FParent = parent; }

    void ShowInformation(const std::string& text) override;
    bool AskConfirmation(const std::string& text) override;
    void ShowError(const std::string& title, const std::string& text) override;

private:
    QWidget* FParent = nullptr;
};

}  // namespace tal::front::qt
