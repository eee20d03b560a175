#pragma once
// Answers the modal windows of the Qt dialogs in turn, as a user would: each
// step gets the next modal window that opens, and runs inside that window's
// own event loop.
//
// A window is known by its object, never by its address: message boxes live
// on the stack, so the next box often takes the address of the one just
// closed. Answered windows are held through QPointer, which forgets an
// object when it goes, and a window shown again (the name dialog is one
// object for the whole run) counts as a new window.
//
// A script that is not finished within its time limit fails (through the
// given report) and closes every modal window from then on, so that the
// nested event loops end and the test goes on to its checks instead of
// waiting for the test runner's timeout.
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace tal::front::testing {

class TModalScript final : public QObject {
public:
    using TStep = std::function<void(QWidget*)>;
    using TReport = std::function<void(const std::string&)>;

    // Delay: how long a window is left open before its step runs (pictures
    // of the windows want them drawn).
    TModalScript(TReport report, std::chrono::milliseconds limit = std::chrono::seconds(10),
                 std::chrono::milliseconds delay = std::chrono::milliseconds(0))
        : FReport(std::move(report)), FDeadline(std::chrono::steady_clock::now() + limit), FDelay(delay) {
        qApp->installEventFilter(this);
        FTimer.setInterval(10);
        QObject::connect(&FTimer, &QTimer::timeout, this, [this] { Poll(); });
        FTimer.start();
    }
    ~TModalScript() override { qApp->removeEventFilter(this); }
    TModalScript(const TModalScript&) = delete;
    TModalScript& operator=(const TModalScript&) = delete;

    void Then(TStep step) { FSteps.push_back(std::move(step)); }
    bool Done() const { return FSteps.empty() && !FOverdue; }

    // Describes a window for a failure message: its class, title and text.
    static std::string Describe(QWidget* window) {
        std::string text = window->metaObject()->className();
        text += " \"" + window->windowTitle().toStdString() + "\"";
        if (auto* box = qobject_cast<QMessageBox*>(window)) text += ": " + box->text().toStdString();
        return text;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // A window shown again is a new window for the script.
        if (event->type() == QEvent::Show && watched->isWidgetType())
            std::erase_if(FAnswered, [watched](const QPointer<QWidget>& w) { return w.data() == watched; });
        return false;
    }

private:
    bool Answered(QWidget* window) const {
        for (const QPointer<QWidget>& w : FAnswered)
            if (w.data() == window) return true;
        return false;
    }

    void Poll() {
        // Past the limit, a step still waiting or a window still open is a
        // script that will not end by itself.
        if (!FOverdue && std::chrono::steady_clock::now() > FDeadline &&
            (!FSteps.empty() || QApplication::activeModalWidget()))
            GiveUp();
        if (FOverdue) {
            CloseModalWindows();
            return;
        }
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || FSteps.empty() || Answered(modal)) return;
        FAnswered.emplace_back(modal);
        auto step = std::move(FSteps.front());
        FSteps.pop_front();
        // From a timer of its own: a step that opens another modal window
        // sits in that window's loop, and Qt does not fire this polling
        // timer again while its own call is still running.
        QTimer::singleShot(FDelay, modal, [step = std::move(step), modal] { step(modal); });
    }

    void GiveUp() {
        FOverdue = true;
        std::string message = "the modal-window script did not end in time, " + std::to_string(FSteps.size()) +
                              " step(s) left";
        if (QWidget* modal = QApplication::activeModalWidget()) message += "; open: " + Describe(modal);
        FSteps.clear();
        FReport(message);
    }

    static void CloseModalWindows() {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (!window->isVisible() || !window->isModal()) continue;
            if (auto* dialog = qobject_cast<QDialog*>(window)) dialog->reject();
            else window->close();
        }
    }

    TReport FReport;
    std::chrono::steady_clock::time_point FDeadline;
    std::chrono::milliseconds FDelay;
    QTimer FTimer;
    std::deque<TStep> FSteps;
    std::vector<QPointer<QWidget>> FAnswered;
    bool FOverdue = false;
};

}  // namespace tal::front::testing
