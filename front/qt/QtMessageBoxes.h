#pragma once
// The modal message boxes of the engines, as Qt message boxes.
#include <QWidget>

#include "front/Windowing.h"

namespace tal::front::qt {

class TQtMessageBoxes final : public TMessageBoxes {
public:
    // Boxes are shown over the modal window they answer for (the name
    // dialog for its questions), else over parent (or over no window while
    // there is none).
    void SetParent(QWidget* parent) { FParent = parent; }

    void ShowInformation(const std::string& text) override;
    bool AskConfirmation(const std::string& text) override;
    void ShowError(const std::string& title, const std::string& text) override;

private:
    QWidget* Owner() const;

    QWidget* FParent = nullptr;
};

}  // namespace tal::front::qt
