#include "front/qt/QtMessageBoxes.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>

namespace tal::front::qt {

namespace {

QString FromUtf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// Messages put LF CR LF CR between their parts; a Qt label breaks lines at
// LF alone and would draw the CR, so it is left out of what is shown.
QString Shown(const std::string& text) { return FromUtf8(text).remove(QLatin1Char('\r')); }

// Room for the title as a window manager draws it, beside its buttons, so
// that a short message does not leave the title cut.
int WidthForTitle(const QMessageBox& box, const QString& title) {
    QFont bold = box.font();
    bold.setBold(true);
    const QString shown = QGuiApplication::applicationDisplayName().isEmpty()
                              ? title
                              : title + QStringLiteral(" \u2014 ") + QGuiApplication::applicationDisplayName();
    return QFontMetrics(bold).horizontalAdvance(shown) + 140;
}

// The texts are the engine's own: never read as markup.
void Prepare(QMessageBox& box, QMessageBox::Icon icon, const QString& title, const std::string& text) {
    box.setIcon(icon);
    box.setWindowTitle(title);
    box.setTextFormat(Qt::PlainText);
    box.setText(Shown(text));
    // A message box sizes itself to its text; a short text is given the
    // width its title needs. A longer one is left to the box: a least width
    // on its label makes the box wrap the text at that width and then cut
    // the lines it measured as wider.
    if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
        if (const int forTitle = std::max(240, WidthForTitle(box, title) - 80); label->sizeHint().width() < forTitle)
            label->setMinimumWidth(forTitle);
}

}  // namespace

QWidget* TQtMessageBoxes::Owner() const {
    QWidget* modal = QApplication::activeModalWidget();
    return modal && modal->isVisible() ? modal : FParent;
}

void TQtMessageBoxes::ShowInformation(const std::string& text) {
    QMessageBox box(Owner());
    Prepare(box, QMessageBox::Information, QStringLiteral("Information"), text);
    box.setObjectName(QStringLiteral("InformationBox"));
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}

bool TQtMessageBoxes::AskConfirmation(const std::string& text) {
    QMessageBox box(Owner());
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
    QMessageBox box(Owner());
    Prepare(box, QMessageBox::Critical, FromUtf8(title), text);
    box.setObjectName(QStringLiteral("ErrorBox"));
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}

}  // namespace tal::front::qt
