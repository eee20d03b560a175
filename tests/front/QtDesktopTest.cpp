// The Qt dialogs as a desktop user meets them: the keyboard on the main
// dialog, a desktop that cannot open a document, and the application's
// name and icon. Every test runs under a watchdog, since a modal window
// nobody answers would otherwise hang the run.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QFontMetrics>
#include <QScreen>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "front/demo/DemoRender.h"
#include "front/qt/QtEngine.h"
#include "front/qt/QtMainDialog.h"
#include "front/qt/QtMessageBoxes.h"
#include "tests/front/FrontTestSupport.h"
#include "tests/front/ScriptedWindows.h"

namespace tal::front::testing {
namespace {

using qt::TQtMainDialog;

// Ends the whole run when a test outlives its time: a hung modal loop
// cannot be failed from inside.
class TWatchdog {
public:
    explicit TWatchdog(std::chrono::seconds limit) : FThread([this, limit] { Watch(limit); }) {}
    ~TWatchdog() {
        {
            std::lock_guard lock(FMutex);
            FDone = true;
        }
        FWake.notify_one();
        FThread.join();
    }
    TWatchdog(const TWatchdog&) = delete;
    TWatchdog& operator=(const TWatchdog&) = delete;

private:
    void Watch(std::chrono::seconds limit) {
        std::unique_lock lock(FMutex);
        if (FWake.wait_for(lock, limit, [this] { return FDone; })) return;
        std::fprintf(stderr, "watchdog: %s still running after %lld s\n",
                     ::testing::UnitTest::GetInstance()->current_test_info()->name(),
                     static_cast<long long>(limit.count()));
        std::_Exit(3);
    }
    std::mutex FMutex;
    std::condition_variable FWake;
    bool FDone = false;
    std::thread FThread;
};

// Answers modal windows in turn, each handler in that window's own loop.
class TModalAnswers {
public:
    TModalAnswers() {
        FTimer.setInterval(10);
        QObject::connect(&FTimer, &QTimer::timeout, [this] { Poll(); });
        FTimer.start();
    }
    void Then(std::function<void(QWidget*)> handler) { FHandlers.push_back(std::move(handler)); }
    bool Done() const { return FHandlers.empty(); }

private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == FLast || FHandlers.empty() || !modal->isVisible()) return;
        FLast = modal;
        auto handler = std::move(FHandlers.front());
        FHandlers.pop_front();
        QTimer::singleShot(0, modal, [this, handler = std::move(handler), modal] {
            QPointer<QWidget> alive(modal);
            handler(modal);
            if (alive && !alive->isVisible() && FLast == modal) FLast = nullptr;
        });
    }
    QTimer FTimer;
    std::deque<std::function<void(QWidget*)>> FHandlers;
    QWidget* FLast = nullptr;
};

QString BoxText(QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    return box ? box->windowTitle() + QStringLiteral(": ") + box->text() : QStringLiteral("(no message box)");
}

void ClickOk(QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    box->buttons().constFirst()->click();
}

void NameIt(QWidget* nameDialog, const char* name) {
    auto* edit = nameDialog->findChild<QLineEdit*>(QStringLiteral("NameEdit"));
    ASSERT_NE(edit, nullptr);
    QTest::keyClicks(edit, name);
    QTest::keyClick(edit, Qt::Key_Return);
}

class QtDesktopTest : public ::testing::Test {
protected:
    TWatchdog Watchdog {std::chrono::seconds(30)};
    TTempFolder Folder;
    std::vector<std::string> Log;
    TScriptedShell Shell {Log};
    TDemoRender Render;
    std::string Report() {
        WriteFile(Folder / "report.ndr", GoodReport());
        return Folder / "report.ndr";
    }
    // An xdg-open of this test's own, first on PATH, that ends with status.
    std::string FailingOpener(int status) {
        const std::string bin = Folder / "bin";
        std::filesystem::create_directories(bin);
        WriteFile(bin + "/xdg-open", "#!/bin/sh\nexit " + std::to_string(status) + "\n");
        ::chmod((bin + "/xdg-open").c_str(), 0755);
        return bin + ":" + (std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin");
    }
};

TEST_F(QtDesktopTest, ReturnPressesTheFocusedButtonMakeAtTheStartThenView) {
    TQtMainDialog dialog(PdfEngineProfile(), Render, Shell, {Report(), "Convert"});
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QPushButton* make = dialog.Button(TMainButton::Make);
    QPushButton* view = dialog.Button(TMainButton::View);
    EXPECT_TRUE(make->hasFocus());
    EXPECT_TRUE(make->isDefault());

    TModalAnswers answers;
    QString success;
    answers.Then([](QWidget* name) { NameIt(name, "Gulls"); });
    answers.Then([&](QWidget* box) {
        success = BoxText(box);
        ClickOk(box);
    });
    QTest::keyClick(make, Qt::Key_Return);
    EXPECT_TRUE(answers.Done());
    EXPECT_TRUE(success.contains(QStringLiteral("\"Gulls.PDF\" - rendered successfully!"))) << success.toStdString();

    // After Make the focus is on View, drawn as focused and as the default
    // (the offscreen platform gives the activation back only when asked).
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    EXPECT_TRUE(view->hasFocus());
    EXPECT_TRUE(view->isDefault());
    EXPECT_FALSE(make->isDefault());
    EXPECT_TRUE(dialog.testAttribute(Qt::WA_KeyboardFocusChange));
    QTest::keyClick(view, Qt::Key_Return);
    ASSERT_FALSE(Log.empty());
    EXPECT_EQ(Log.back(), "open [" + (Folder / "Gulls.PDF") + "] in [" + Folder.Str() + "]");

    // Tab moves the focus, and Return follows it.
    QTest::keyClick(view, Qt::Key_Tab);
    ASSERT_TRUE(dialog.Button(TMainButton::ViewAll)->hasFocus());
    QTest::keyClick(dialog.Button(TMainButton::ViewAll), Qt::Key_Tab);
    ASSERT_TRUE(dialog.Button(TMainButton::Close)->hasFocus());
    EXPECT_TRUE(dialog.Button(TMainButton::Close)->isDefault());
    QTest::keyClick(dialog.Button(TMainButton::Close), Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(QtDesktopTest, ADesktopThatCannotOpenTheDocumentIsReportedWithTheShellNumber) {
    const TEnvironmentVariable path("PATH", FailingOpener(3));
    TXdgOpenShell desktop;
    TQtMainDialog dialog(PdfEngineProfile(), Render, desktop, {Report(), "Convert"});
    dialog.show();
    TModalAnswers answers;
    QString failure;
    answers.Then([](QWidget* name) { NameIt(name, "Terns"); });
    answers.Then([](QWidget* box) { ClickOk(box); });
    QTest::mouseClick(dialog.Button(TMainButton::Make), Qt::LeftButton);
    ASSERT_TRUE(answers.Done());

    answers.Then([&](QWidget* box) {
        failure = BoxText(box);
        ClickOk(box);
    });
    QTest::mouseClick(dialog.Button(TMainButton::View), Qt::LeftButton);
    EXPECT_TRUE(answers.Done());
    EXPECT_EQ(failure, "Information: Acrobat failed to execute 31");
}

TEST_F(QtDesktopTest, TheRtfEngineSaysTheSameInItsOwnWordsForAnyDocumentChosen) {
    const TEnvironmentVariable path("PATH", FailingOpener(4));
    WriteFile(Folder / "Old.RTF", std::string("{\\rtf1}"));
    TXdgOpenShell desktop;
    TQtMainDialog dialog(RtfEngineProfile(), Render, desktop, {Folder.Str(), "View"});
    dialog.show();
    TModalAnswers answers;
    QString failure;
    answers.Then([](QWidget* open) {
        auto* name = open->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        QTest::keyClicks(name, "Old.RTF");
        QTest::keyClick(name, Qt::Key_Return);
    });
    answers.Then([&](QWidget* box) {
        failure = BoxText(box);
        ClickOk(box);
    });
    QTest::mouseClick(dialog.Button(TMainButton::ViewAll), Qt::LeftButton);
    EXPECT_TRUE(answers.Done());
    EXPECT_EQ(failure, "Information: RTF application failed to execute 31");
}

TEST_F(QtDesktopTest, TheApplicationCarriesTheEnginesTitleDesktopFileAndIcon) {
    qt::PrepareApplication(RtfEngineProfile());
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), "Tallow RTF Engine");
    EXPECT_EQ(QGuiApplication::desktopFileName(), "talrtf");
    EXPECT_FALSE(QGuiApplication::windowIcon().isNull());
    TQtMainDialog rtf(RtfEngineProfile(), Render, Shell, {Folder.Str(), "View"});
    // The window keeps its own title; title bars show the application's beside it.
    EXPECT_EQ(rtf.windowTitle(), "RTFForm");
    EXPECT_FALSE(rtf.windowIcon().isNull());
    EXPECT_EQ(rtf.windowIcon().pixmap(48).toImage().pixelColor(24, 24).alpha(), 255);

    qt::PrepareApplication(PdfEngineProfile());
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), "Tallow Adobe Acrobat PDF Machine");
    EXPECT_EQ(QGuiApplication::desktopFileName(), "talpdf");
}

TEST_F(QtDesktopTest, TheOverwriteQuestionBelongsToTheNameDialogAndBoxesShowTheirTitles) {
    WriteFile(Folder / "Gulls.PDF", std::string("old"));
    TQtMainDialog dialog(PdfEngineProfile(), Render, Shell, {Report(), "Convert"});
    dialog.show();
    TModalAnswers answers;
    QWidget* nameDialog = nullptr;
    QWidget* questionParent = nullptr;
    int questionWidth = 0, titleWidth = 0;
    answers.Then([&](QWidget* name) {
        nameDialog = name;
        NameIt(name, "Gulls");
    });
    answers.Then([&](QWidget* question) {
        questionParent = question->parentWidget();
        questionWidth = question->width();
        titleWidth = QFontMetrics(question->font()).horizontalAdvance(question->windowTitle());
        qobject_cast<QMessageBox*>(question)->buttons().constLast()->click();  // No
    });
    answers.Then([](QWidget* name) {
        auto* cancel = name->findChild<QPushButton*>(QStringLiteral("CancelBtn"));
        ASSERT_NE(cancel, nullptr);
        cancel->click();
    });
    answers.Then([](QWidget* box) { ClickOk(box); });
    QTest::mouseClick(dialog.Button(TMainButton::Make), Qt::LeftButton);
    EXPECT_TRUE(answers.Done());
    ASSERT_NE(nameDialog, nullptr);
    EXPECT_EQ(questionParent, nameDialog);
    EXPECT_GE(questionWidth, titleWidth + 100);
    EXPECT_GE(questionWidth, 300);
}

// What a message box shows of its text: the label's room against what
// its text needs.
struct TShownText {
    bool Wrapped = false;
    int LabelWidth = 0, LabelHeight = 0, NeededHeight = 0, WidestLine = 0, LabelRight = 0, BoxWidth = 0,
        TitleWidth = 0;
};

TShownText ShowErrorBox(const std::string& title, const std::string& text) {
    qt::TQtMessageBoxes boxes;
    TModalAnswers answers;
    TShownText shown;
    answers.Then([&](QWidget* box) {
        auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        EXPECT_NE(label, nullptr);
        if (label) {
            shown.Wrapped = label->wordWrap();
            shown.LabelWidth = label->contentsRect().width();
            shown.LabelHeight = label->height();
            shown.NeededHeight = label->heightForWidth(label->width());
            for (const QString& line : label->text().split(QLatin1Char('\n')))
                shown.WidestLine = std::max(shown.WidestLine, QFontMetrics(label->font()).horizontalAdvance(line));
            shown.LabelRight = label->mapTo(box, QPoint(label->width(), 0)).x();
        }
        shown.BoxWidth = box->width();
        QFont bold = box->font();
        bold.setBold(true);
        shown.TitleWidth = QFontMetrics(bold).horizontalAdvance(box->windowTitle());
        ClickOk(box);
    });
    boxes.ShowError(title, text);
    EXPECT_TRUE(answers.Done());
    return shown;
}

TEST_F(QtDesktopTest, AMessageBoxShowsALongLineWholeAndGivesAShortTextItsTitlesWidth) {
    // A line far wider than a short title needs: the box wraps it and every
    // wrapped line has its room. (A least width on the label once made the
    // box take the line as fitting, unwrapped, and cut it at its edge.)
    for (const char* title : {"Error", "Error while making the PDF document"}) {
        SCOPED_TRACE(title);
        const TShownText shown = ShowErrorBox(
            title, "Cannot create file \"/home/someone/Documents/Reports of the second quarter/Sales by region, "
                   "product line and month.PDF\". Permission denied");
        if (shown.Wrapped)
            EXPECT_GE(shown.LabelHeight, shown.NeededHeight);
        else
            EXPECT_LE(shown.WidestLine, shown.LabelWidth);
        EXPECT_LE(shown.LabelRight, shown.BoxWidth);
    }
    // A short text under a long title: the box is wide enough for the title
    // beside a window manager's buttons.
    const TShownText brief = ShowErrorBox("The report file could not be read to its end", "Stream read error");
    EXPECT_GE(brief.BoxWidth, brief.TitleWidth + 60);
    EXPECT_LE(brief.WidestLine, brief.LabelWidth);
}

TEST_F(QtDesktopTest, TheFileDialogOpensWideEnoughForItsColumns) {
    TQtMainDialog dialog(RtfEngineProfile(), Render, Shell, {Folder.Str(), "View"});
    dialog.show();
    TModalAnswers answers;
    QSize size;
    answers.Then([&](QWidget* open) {
        size = open->size();
        qobject_cast<QDialog*>(open)->reject();
    });
    QTest::mouseClick(dialog.Button(TMainButton::ViewAll), Qt::LeftButton);
    EXPECT_TRUE(answers.Done());
    const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
    EXPECT_GE(size.width(), std::min(800, screen.width() * 9 / 10 - 1));
    EXPECT_GE(size.height(), std::min(480, screen.height() * 9 / 10 - 1));
}

TEST_F(QtDesktopTest, ALongReportShowsItsProgressWhileTheWindowRepaintsWithItsButtonsDisabled) {
    WriteFile(Folder / "long.ndr", GoodReport(500));
    TQtMainDialog dialog(PdfEngineProfile(), Render, Shell, {Folder / "long.ndr", "Convert"});
    dialog.show();
    QProgressBar* progress = dialog.Progress();
    ASSERT_NE(progress, nullptr);
    EXPECT_FALSE(progress->isVisible());
    // Sampled by a timer, which fires only when the event loop runs: during
    // the conversion only if the window is kept alive between pages.
    std::vector<int> seen;
    bool buttonsWereEnabled = false;
    QTimer sampler;
    sampler.setInterval(0);
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        if (!progress->isVisible() || progress->maximum() == 0) return;
        if (seen.empty() || seen.back() != progress->value()) seen.push_back(progress->value());
        for (auto button : {TMainButton::Make, TMainButton::ViewAll, TMainButton::Close})
            buttonsWereEnabled = buttonsWereEnabled || dialog.Button(button)->isEnabled();
        EXPECT_EQ(progress->maximum(), 500);
        EXPECT_EQ(progress->text(), QStringLiteral("Page %1 of 500").arg(progress->value()));
    });
    sampler.start();
    TModalAnswers answers;
    QString success;
    answers.Then([](QWidget* name) { NameIt(name, "Long"); });
    answers.Then([&](QWidget* box) {
        success = BoxText(box);
        ClickOk(box);
    });
    QTest::mouseClick(dialog.Button(TMainButton::Make), Qt::LeftButton);
    sampler.stop();
    EXPECT_TRUE(answers.Done());
    EXPECT_TRUE(success.contains(QStringLiteral("\"Long.PDF\" - rendered successfully!"))) << success.toStdString();
    ASSERT_GE(seen.size(), 10u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.back(), 500);
    EXPECT_FALSE(buttonsWereEnabled);
    EXPECT_FALSE(progress->isVisible());
    EXPECT_TRUE(dialog.Button(TMainButton::ViewAll)->isEnabled());
    EXPECT_TRUE(dialog.Button(TMainButton::View)->isEnabled());
    EXPECT_FALSE(dialog.Button(TMainButton::Make)->isEnabled());
}

}  // namespace
}  // namespace tal::front::testing

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
