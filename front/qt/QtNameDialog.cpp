#include "front/qt/QtNameDialog.h"

#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "front/qt/QtOwnership.h"
#include "front/qt/QtPictures.h"
#include "front/qt/QtText.h"

namespace tal::front::qt {

namespace {

QFont LabelFont() {
    QFont font(QStringLiteral("MS Sans Serif"), 10);
    font.setBold(true);
    return font;
}

}  // namespace

TQtNameDialog::TQtNameDialog(const TEngineProfile& profile, TNameForm& form, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), FForm(form) {
    setObjectName(QStringLiteral("NameForm"));
    setWindowTitle(ToQt(profile.NameDialogTitle));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    Build(profile);
    form.AttachView(*this);
}

void TQtNameDialog::Build(const TEngineProfile&) {
    auto* layout = SetNewLayout<QVBoxLayout>(this);

    auto* panel = AddChild<QFrame>(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setAutoFillBackground(true);
    QPalette tip = panel->palette();
    tip.setColor(QPalette::Window, tip.color(QPalette::ToolTipBase));
    tip.setColor(QPalette::WindowText, tip.color(QPalette::ToolTipText));
    panel->setPalette(tip);
    auto* panelLayout = SetNewLayout<QVBoxLayout>(panel);
    const auto label = [&](const char* name, const QString& text, Qt::Alignment align) {
        auto* l = AddChild<QLabel>(panel, text);
        l->setObjectName(QString::fromLatin1(name));
        l->setFont(LabelFont());
        l->setAlignment(align);
        l->setTextFormat(Qt::PlainText);
        panelLayout->addWidget(l);
        return l;
    };
    FLabel1 = label("Label1", QString(), Qt::AlignHCenter);
    label("Label3", QStringLiteral("Do not enter the extension -- just enter a name"), Qt::AlignLeft);
    label("Label2", QStringLiteral("Long file names are OK"), Qt::AlignLeft);
    layout->addWidget(panel);

    FNameEdit = AddChild<QLineEdit>(this);
    FNameEdit->setObjectName(QStringLiteral("NameEdit"));
    FNameEdit->installEventFilter(this);
    layout->addWidget(FNameEdit);

    auto* buttons = AddNewLayout<QHBoxLayout>(layout);
    const auto button = [&](const char* name, const char* caption, TGlyph glyph) {
        auto* b = AddChild<QPushButton>(this, QString::fromLatin1(caption));
        b->setObjectName(QString::fromLatin1(name));
        b->setIcon(Glyph(glyph));
        b->setFont(LabelFont());
        b->setAutoDefault(false);  // Enter belongs to the edit box
        buttons->addWidget(b);
        return b;
    };
    QPushButton* ok = button("OKBtn", " &OK", TGlyph::Check);
    QPushButton* cancel = button("CancelBtn", "&Cancel", TGlyph::Cross);
    connect(ok, &QPushButton::clicked, this, [this] { FForm.OKBtnClick(); });
    connect(cancel, &QPushButton::clicked, this, [this] { FForm.CancelBtnClick(); });
    layout->setSizeConstraint(QLayout::SetFixedSize);  // a fixed dialog border
}

void TQtNameDialog::SetPrompt(const std::string& prompt) { FLabel1->setText(ToQt(prompt)); }

std::string TQtNameDialog::EditText() const { return FromQt(FNameEdit->text()); }

void TQtNameDialog::SetEditText(const std::string& text) { FNameEdit->setText(ToQt(text)); }

void TQtNameDialog::FocusEdit() { FNameEdit->setFocus(Qt::OtherFocusReason); }

void TQtNameDialog::ShowModal() {
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    exec();
}

void TQtNameDialog::CloseDialog() { QDialog::done(QDialog::Accepted); }

void TQtNameDialog::reject() { FForm.CancelBtnClick(); }

void TQtNameDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FForm.FormActivate();
}

bool TQtNameDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FNameEdit && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && FForm.NameEditKeyPress('\r'))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace tal::front::qt
