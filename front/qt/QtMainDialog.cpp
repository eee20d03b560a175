#include "front/qt/QtMainDialog.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QHeaderView>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "front/qt/QtNameDialog.h"
#include "front/qt/QtOwnership.h"
#include "front/qt/QtPictures.h"
#include "front/qt/QtText.h"

namespace tal::front::qt {

namespace {

constexpr int BannerHeight = 64;

QFont DesignedFont(bool bold) {
    QFont font(QStringLiteral("MS Sans Serif"), 8);
    font.setBold(bold);
    return font;
}

}  // namespace

QString CaseInsensitivePattern(const std::string& pattern) {
    QString qt;
    for (const QChar c : ToQt(pattern)) {
        if (c.isLetter() && c.toLower() != c.toUpper())
            qt += QLatin1Char('[') + c.toUpper() + c.toLower() + QLatin1Char(']');
        else
            qt += c;
    }
    return qt;
}

TQtMainDialog::TQtMainDialog(const TEngineProfile& profile, TRPRender& renderer, TShell& shell,
                             const std::vector<std::string>& arguments)
    : QDialog(nullptr), FProfile(profile), FNameForm(profile, FBoxes, FState), FRenderer(renderer) {
    Build();
    FNameDialog = std::make_unique<TQtNameDialog>(profile, FNameForm, this);
    FDriver = std::make_unique<TConversionDriver>(profile, FState, *this, FBoxes, FNameForm, renderer, shell);
    // While the desktop is asked to open a document the window keeps
    // painting; what the user types or clicks waits for the answer.
    shell.SetWhileWaiting([] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
    renderer.OnPageDone = [this](std::int32_t page, std::int32_t pages) { PageDone(page, pages); };
    FDriver->FormCreate(arguments);
    FBoxes.SetParent(this);
}

TQtMainDialog::~TQtMainDialog() { FRenderer.OnPageDone = nullptr; }

void TQtMainDialog::Build() {
    setObjectName(ToQt(FProfile.FormObjectName));
    setWindowTitle(ToQt(FProfile.WindowTitle));
    setWindowIcon(EngineIcon(FProfile));
    setFont(DesignedFont(FProfile.BoldDialogFont));
    if (FProfile.SilverBackground) {
        QPalette silver = palette();
        silver.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
        setPalette(silver);
        setAutoFillBackground(true);
    }
    auto* layout = SetNewLayout<QVBoxLayout>(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* image = AddChild<QLabel>(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(BannerPicture(FProfile, FProfile.HasPanel ? 520 : 707, BannerHeight));
    image->setScaledContents(!FProfile.FixedDialogBorder);
    image->setFixedHeight(BannerHeight);
    layout->addWidget(image);

    QWidget* area = this;
    if (FProfile.HasPanel) {
        auto* panel = AddChild<QFrame>(this);
        panel->setObjectName(QStringLiteral("Panel1"));
        panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
        layout->addWidget(panel);
        area = panel;
    }
    QWidget* controls = BuildControls(area);
    if (area == this) layout->addWidget(controls);
    PlaceWindow();
}

QWidget* TQtMainDialog::BuildControls(QWidget* area) {
    QWidget* host = area == this ? AddChild<QWidget>(this) : area;
    auto* grid = SetNewLayout<QGridLayout>(host);
    grid->setContentsMargins(12, 10, 12, 12);
    // Controls with a font of their own keep it when the dialog's changes.
    const bool ownFonts = !FProfile.HasPanel;
    int row = 0;
    const auto label = [&](const char* name, const std::string& text, bool ownFont, bool bold) {
        const bool marked = text.find('&') != std::string::npos;
        auto* l = AddChild<QLabel>(host, marked ? LabelWithAccelerator(text) : ToQt(text));
        l->setObjectName(QString::fromLatin1(name));
        l->setTextFormat(marked ? Qt::RichText : Qt::PlainText);
        l->setWordWrap(true);
        if (ownFont) l->setFont(DesignedFont(bold));
        grid->addWidget(l, row++, 0, 1, 2);
        return l;
    };
    label("Label1", FProfile.Label1, ownFonts, false);
    label("Label2", FProfile.Label2, ownFonts, false);
    label("Label3", FProfile.Label3, true, FProfile.BoldDialogFont);
    if (!FProfile.Label4.empty()) {
        QLabel* warning = label("Label4", FProfile.Label4, true, true);
        QPalette red = warning->palette();
        red.setColor(QPalette::WindowText, Qt::red);
        warning->setPalette(red);
    }
    struct TSpec {
        TMainButton Id;
        const char* Name;
        const std::string* Caption;
        const std::string* Hint;
        TGlyph Picture;
    };
    const TSpec specs[] = {
        {TMainButton::Make, "MakeBtn", &FProfile.MakeCaption, nullptr, TGlyph::Make},
        {TMainButton::View, "ViewBtn", &FProfile.ViewCaption, &FProfile.ViewHint, TGlyph::View},
        {TMainButton::ViewAll, "ViewAllBtn", &FProfile.ViewAllCaption, &FProfile.ViewAllHint, TGlyph::ViewAll},
        {TMainButton::Close, "CloseBtn", &FProfile.CloseCaption, &FProfile.CloseHint, TGlyph::Close},
    };
    int index = 0;
    for (const auto& spec : specs) {
        auto* button = AddChild<QPushButton>(host, ToQt(*spec.Caption));
        button->setObjectName(QString::fromLatin1(spec.Name));
        button->setIcon(Glyph(spec.Picture));
        button->setIconSize(QSize(24, 24));
        button->setMinimumHeight(34);
        // Return presses the button that has the focus, which is drawn as
        // the default button while it has it.
        button->setAutoDefault(true);
        if (spec.Hint && !spec.Hint->empty()) button->setToolTip(ToQt(*spec.Hint));
        if (ownFonts) button->setFont(DesignedFont(false));
        grid->addWidget(button, row + index / 2, index % 2);
        FButtons[static_cast<std::size_t>(spec.Id)] = button;
        ++index;
    }
    // The progress of a conversion, below the buttons; its room is kept
    // while it is hidden so that nothing moves when it shows.
    FProgress = AddChild<QProgressBar>(host);
    FProgress->setObjectName(QStringLiteral("Progress"));
    FProgress->setFormat(QStringLiteral("Page %v of %m"));
    FProgress->setTextVisible(true);
    QSizePolicy keepRoom = FProgress->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    FProgress->setSizePolicy(keepRoom);
    FProgress->hide();
    grid->addWidget(FProgress, row + 2, 0, 1, 2);
    // A taller window than its contents leaves the room below the buttons.
    grid->setRowStretch(row + 3, 1);
    connect(Button(TMainButton::Make), &QPushButton::clicked, this, [this] { FDriver->MakeBtnClick(); });
    connect(Button(TMainButton::View), &QPushButton::clicked, this, [this] { FDriver->ViewBtnClick(); });
    connect(Button(TMainButton::ViewAll), &QPushButton::clicked, this, [this] { FDriver->ViewAllBtnClick(); });
    connect(Button(TMainButton::Close), &QPushButton::clicked, this, [this] { FDriver->CloseBtnClick(); });
    return host;
}

void TQtMainDialog::PlaceWindow() {
    if (FProfile.FixedDialogBorder) {
        setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        layout()->setSizeConstraint(QLayout::SetFixedSize);
        adjustSize();
    } else {
        setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                       Qt::WindowCloseButtonHint);
        const auto& at = FProfile.Placement;
        setGeometry(at.Left, at.Top, at.Width, at.Height);
    }
    if (FProfile.Centred) {
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }
}

void TQtMainDialog::SetBusyCursor(bool busy) {
    // While a conversion runs its buttons are disabled, so that nothing
    // queued while the window repaints starts anything; they come back as
    // they were, and the driver then sets their states after the outcome.
    for (std::size_t i = 0; i < FButtons.size(); ++i) {
        if (busy) FEnabledBeforeBusy[i] = FButtons[i]->isEnabled();
        FButtons[i]->setEnabled(!busy && FEnabledBeforeBusy[i]);
    }
    FProgress->setRange(0, 0);  // busy until the first page tells the count
    FProgress->setVisible(busy);
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TQtMainDialog::PageDone(std::int32_t page, std::int32_t pages) {
    if (pages > 0) {
        FProgress->setRange(0, pages);
        FProgress->setValue(std::clamp(page, 0, pages));
    }
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TQtMainDialog::EnableButton(TMainButton button, bool enabled) { Button(button)->setEnabled(enabled); }

void TQtMainDialog::SetButtonCaption(TMainButton button, const std::string& caption) {
    Button(button)->setText(ToQt(caption));
}

void TQtMainDialog::FocusButton(TMainButton button) {
    // Given by the program rather than by Tab, the focus is still shown.
    setAttribute(Qt::WA_KeyboardFocusChange);
    Button(button)->setFocus(Qt::OtherFocusReason);
}

void TQtMainDialog::BringToFront() {
    raise();
    activateWindow();
}

void TQtMainDialog::SetDialogFont(const TDialogFont& font) {
    QFont chosen(ToQt(font.Name), font.Points);
    chosen.setBold(font.Bold);
    setFont(chosen);
    update();
}

int TQtMainDialog::ScreenLogicalDpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? static_cast<int>(std::lround(screen->logicalDotsPerInch())) : 96;
}

std::optional<std::string> TQtMainDialog::ChooseFile(const std::string& filter, const std::string& initialFolder) {
    const TFileFilter parts = ParseFilter(filter);
    QFileDialog dialog(this);
    dialog.setObjectName(ToQt(FProfile.OpenDialogName));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    // Any name may be typed; one that does not exist is reported afterwards.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilter(ToQt(parts.Name) + QStringLiteral(" (") + CaseInsensitivePattern(parts.Pattern) +
                         QStringLiteral(")"));
    // File names go through Qt's file-name codec, which gives back the very
    // bytes of a name on disk, also of one that is not valid UTF-8.
    if (!initialFolder.empty()) dialog.setDirectory(QFile::decodeName(initialFolder.c_str()));
    // Room for the names, sizes and dates of the documents side by side.
    dialog.setViewMode(QFileDialog::Detail);
    QSize room(820, 500);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        room = room.boundedTo(screen->availableGeometry().size() * 9 / 10);
    dialog.resize(room);
    // The name takes the room the size, type and date leave: those keep
    // their whole texts.
    if (auto* tree = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        QHeaderView* header = tree->header();
        header->setStretchLastSection(false);
        for (int column = 1; column < header->count(); ++column)
            header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
        if (header->count() > 0) header->setSectionResizeMode(0, QHeaderView::Stretch);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    const QByteArray chosen = QFile::encodeName(dialog.selectedFiles().constFirst());
    return std::string(chosen.constData(), static_cast<std::size_t>(chosen.size()));
}

void TQtMainDialog::CloseDialog() { QDialog::done(QDialog::Accepted); }

void TQtMainDialog::reject() { FDriver->CloseBtnClick(); }

bool TQtMainDialog::event(QEvent* event) {
    const bool handled = QDialog::event(event);
    if (event->type() == QEvent::WindowActivate && FDriver) FDriver->FormActivate();
    return handled;
}

}  // namespace tal::front::qt
