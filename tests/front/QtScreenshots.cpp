// Takes a picture of every dialog of both engines, as a user meets them:
//   front_screenshots OUTPUT_FOLDER
// Run it under a display server with a window manager, as the pictures in
// docs/ are taken:
//   xvfb-run -a -s "-screen 0 1280x800x24" sh -c 'openbox & sleep 1; front_screenshots docs'
// or with QT_QPA_PLATFORM=offscreen (the windows' insides only).
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <iostream>

#include "front/demo/DemoRender.h"
#include "front/qt/QtMainDialog.h"
#include "front/qt/QtText.h"
#include "tests/front/FrontTestSupport.h"
#include "tests/front/ModalScript.h"
#include "tests/front/ScriptedWindows.h"

namespace {

using namespace tal::front;
namespace support = tal::front::testing;

// Each window is left open a moment before its step, so that its picture
// shows it drawn; a window nobody answers ends the run with a failure.
support::TModalScript Steps(int& failures) {
    return support::TModalScript(
        [&failures](const std::string& why) {
            std::cerr << "front_screenshots: " << why << "\n";
            ++failures;
        },
        std::chrono::seconds(30), std::chrono::milliseconds(150));
}

// The window as the desktop shows it: with the title bar and frame that a
// window manager draws, read back from the screen; without one (or on the
// offscreen platform) the window's own drawing.
QPixmap Picture(QWidget* widget) {
    QWidget* window = widget->window();
    const QRect frame = window->frameGeometry();
    QScreen* screen = window->screen();
    if (frame == window->geometry() || !screen || QGuiApplication::platformName() != QLatin1String("xcb"))
        return widget->grab();
    return screen->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
}

void Save(const QString& output, QWidget* widget, const std::string& name) {
    // A window manager decorates a new window a moment after it is mapped,
    // later on a busy machine: up to two seconds are given for its frame.
    QTest::qWait(200);
    const QWidget* window = widget->window();
    for (int waited = 0; waited < 2000 && QGuiApplication::platformName() == QLatin1String("xcb") &&
                         window->frameGeometry() == window->geometry();
         waited += 50)
        QTest::qWait(50);
    const QString path = QDir(output).filePath(QString::fromStdString(name));
    if (!Picture(widget).save(path)) std::cerr << "cannot write " << path.toStdString() << "\n";
    std::cout << path.toStdString() << "\n";
}

void Click(QWidget* box, const QString& caption) {
    for (auto* button : box->findChildren<QAbstractButton*>())
        if (button->text() == caption) return button->click();
}

void EnginePictures(int& failures, const QString& output, const TEngineProfile& profile, const std::string& prefix, const support::TTempFolder& folder) {
    std::vector<std::string> log;
    support::TScriptedShell shell(log);
    TDemoRender render;
    support::WriteFile(folder / "report.ndr", support::GoodReport());
    support::WriteFile(folder / ("Existing" + profile.Extension), std::string("old"));
    qt::TQtMainDialog dialog(profile, render, shell, {folder / "report.ndr", "Convert"});
    dialog.show();
    (void)QTest::qWaitForWindowExposed(&dialog);
    Save(output, &dialog, prefix + "-main.png");

    auto steps = Steps(failures);
    steps.Then([&](QWidget* name) {
        auto* edit = name->findChild<QLineEdit*>(QStringLiteral("NameEdit"));
        QTest::keyClicks(edit, "Existing");
        Save(output, name, prefix + "-name.png");
        QTest::keyClick(edit, Qt::Key_Return);  // the overwrite question
        QTest::keyClicks(edit, "Gulls");
        QTest::keyClick(edit, Qt::Key_Return);  // the success box
    });
    steps.Then([&](QWidget* box) {
        Save(output, box, prefix + "-confirm.png");
        Click(box, QStringLiteral("&No"));
    });
    steps.Then([&](QWidget* box) {
        Save(output, box, prefix + "-success.png");
        Click(box, QStringLiteral("OK"));
    });
    QTest::mouseClick(dialog.Button(TMainButton::Make), Qt::LeftButton);
    Save(output, &dialog, prefix + "-made.png");

    steps.Then([&](QWidget* open) {
        Save(output, open, prefix + "-viewall.png");
        qobject_cast<QDialog*>(open)->reject();
    });
    QTest::mouseClick(dialog.Button(TMainButton::ViewAll), Qt::LeftButton);
}

void ErrorPicture(int& failures, const QString& output, const support::TTempFolder& folder) {
    std::vector<std::string> log;
    support::TScriptedShell shell(log);
    TDemoRender render;
    support::WriteFile(folder / "bad.ndr", support::MalformedReport());
    qt::TQtMainDialog dialog(PdfEngineProfile(), render, shell, {folder / "bad.ndr", "Convert"});
    dialog.show();
    (void)QTest::qWaitForWindowExposed(&dialog);
    auto steps = Steps(failures);
    steps.Then([&](QWidget* name) {
        auto* edit = name->findChild<QLineEdit*>(QStringLiteral("NameEdit"));
        QTest::keyClicks(edit, "Broken");
        QTest::keyClick(edit, Qt::Key_Return);
    });
    steps.Then([&](QWidget* box) {
        Save(output, box, "talpdf-error.png");
        Click(box, QStringLiteral("OK"));
    });
    QTest::mouseClick(dialog.Button(TMainButton::Make), Qt::LeftButton);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 2) {
        std::cerr << "usage: front_screenshots OUTPUT_FOLDER\n";
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(output);
    support::TTempFolder pdfFolder, rtfFolder, errorFolder;
    int failures = 0;
    EnginePictures(failures, output, PdfEngineProfile(), "talpdf", pdfFolder);
    EnginePictures(failures, output, RtfEngineProfile(), "talrtf", rtfFolder);
    ErrorPicture(failures, output, errorFolder);
    return failures == 0 ? 0 : 1;
}
