#include "front/qt/QtMessageBoxes.h"

#include <QMessageBox>
#include <QPushButton>

namespace tal::front::qt {

namespace {

QString FromUtf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// Messages put LF CR LF CR between their parts; a Qt label breaks lines at
// LF alone and would draw the CR, so it is left out of what is shown.
QString Shown(const std::string& text) { return FromUtf8(text).remove(QLatin1Char('\r')); }

// The texts are the engine's own: never read as markup.
void Prepare(QMessageBox& box, QMessageBox::Icon icon, const QString& title, const std::string& text) {
    box.setIcon(icon);
    box.setWindowTitle(title);
    box.setTextFormat(Qt::PlainText);
    box.setText(Shown(text));
}

}  // namespace

void TQtMessageBoxes::ShowInformation(const std::string& text) {
    QMessageBox box(FParent);
    Prepare(box, QMessageBox::Information, QStringLiteral("Information"), text);
    box.setObjectName(QStringLiteral("InformationBox"));
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}

bool TQtMessageBoxes::AskConfirmation(const std::string& text) {
    QMessageBox box(FParent);
    Prepare(box, QMessageBox::Question, QStringLiteral("Confirm"), text);
    box.setObjectName(QStringLiteral("ConfirmBox"));
    QPushButton* yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
    box.setEscapeButton(no);  // closing the box any other way is No
    box.setDefaultButton(yes);
    box.exec();
    return box.clickedButton() == yes;
}

void TQtMessageBoxes::ShowError(const std::string& title, const std::string& text) {
    QMessageBox box(FParent);
    Prepare(box, QMessageBox::Critical, FromUtf8(title), text);
    box.setObjectName(QStringLiteral("ErrorBox"));
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}

}  // namespace tal::front::qt
