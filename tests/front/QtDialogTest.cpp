// The Qt dialogs for real, on the offscreen platform: buttons clicked, keys
// typed, and every modal box read back and answered as a user would.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <filesystem>

#include "front/demo/DemoRender.h"
#include "front/qt/QtMainDialog.h"
#include "front/qt/QtNameDialog.h"
#include "tests/front/FrontTestSupport.h"
#include "tests/front/ModalScript.h"
#include "tests/front/ScriptedWindows.h"

namespace tal::front::testing {
namespace {

using qt::TQtMainDialog;

// A script that does not end in time fails the test it runs in.
void FailTest(const std::string& why) { ADD_FAILURE() << why; }

QString BoxText(QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    return box ? box->windowTitle() + QStringLiteral(": ") + box->text() : QStringLiteral("(no message box)");
}

void Press(QWidget* modal, const QString& caption) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    for (QAbstractButton* button : box->buttons()) {
        if (button->text() == caption) {
            button->click();
            return;
        }
    }
    ADD_FAILURE() << "no button " << caption.toStdString();
}

QLineEdit* NameEdit(QWidget* modal) {
    auto* edit = modal->findChild<QLineEdit*>(QStringLiteral("NameEdit"));
    EXPECT_NE(edit, nullptr);
    return edit;
}

class QtDialogTest : public ::testing::Test {
protected:
    TTempFolder Folder;
    std::vector<std::string> Log;
    TScriptedShell Shell {Log};
    TDemoRender Render;
    std::string Report() {
        WriteFile(Folder / "report.ndr", GoodReport());
        return Folder / "report.ndr";
    }
};

TEST_F(QtDialogTest, TheControlsCarryTheirCaptionsHintsAndStyle) {
    TQtMainDialog pdf(PdfEngineProfile(), Render, Shell, {Report(), "Convert"});
    EXPECT_EQ(pdf.objectName(), "PDFForm");
    EXPECT_EQ(pdf.windowTitle(), "Make an Adobe Acrobat Document");
    EXPECT_EQ(pdf.Button(TMainButton::Make)->text(), " &Make PDF Document");
    EXPECT_EQ(pdf.Button(TMainButton::View)->text(), "View &Current PDF Document");
    EXPECT_EQ(pdf.Button(TMainButton::ViewAll)->text(), "View &All PDF Documents");
    EXPECT_EQ(pdf.Button(TMainButton::Close)->text(), "&Return to Tallow 5");
    EXPECT_EQ(pdf.Button(TMainButton::View)->toolTip(), "Opens the Acrobat document you just created");
    EXPECT_EQ(pdf.Button(TMainButton::ViewAll)->toolTip(), "View any PDF documents in the data set folder");
    EXPECT_EQ(pdf.Button(TMainButton::Close)->toolTip(), "Close the Acrobat Machine");
    EXPECT_FALSE(pdf.Button(TMainButton::View)->isEnabled());
    EXPECT_TRUE(pdf.Button(TMainButton::Make)->isEnabled());
    EXPECT_NE(pdf.findChild<QWidget*>("Panel1"), nullptr);
    EXPECT_EQ(pdf.findChild<QLabel*>("Label4"), nullptr);
    EXPECT_TRUE(pdf.font().bold());
    EXPECT_EQ(pdf.palette().color(QPalette::Window), QColor(0xC0, 0xC0, 0xC0));
    EXPECT_FALSE(pdf.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(pdf.findChild<QLabel*>("Image1")->pixmap().isNull());

    TQtMainDialog rtf(RtfEngineProfile(), Render, Shell, {Folder.Str(), "View"});
    EXPECT_EQ(rtf.windowTitle(), "RTFForm");
    EXPECT_EQ(rtf.Button(TMainButton::Make)->text(), "&Make RTF File");
    EXPECT_TRUE(rtf.Button(TMainButton::View)->toolTip().isEmpty());
    EXPECT_FALSE(rtf.Button(TMainButton::Make)->isEnabled());
    EXPECT_FALSE(rtf.Button(TMainButton::View)->isEnabled());
    EXPECT_EQ(rtf.geometry(), QRect(249, 165, 707, 370));
    auto* warning = rtf.findChild<QLabel*>("Label4");
    ASSERT_NE(warning, nullptr);
    EXPECT_TRUE(warning->font().bold());
    EXPECT_EQ(warning->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_TRUE(warning->text().contains("MS Word \"Normal\" display mode"));
}

TEST_F(QtDialogTest, MakeWithARefusedNameThenEnterShowsTheSuccessBoxAndEnablesView) {
    TQtMainDialog dialog(PdfEngineProfile(), Render, Shell, {Report(), "Convert"});
    dialog.show();
    TModalScript script(FailTest);
    QString refused, success, editAfterRefusal = "unset";
    script.Then([&](QWidget* name) {
        EXPECT_EQ(name->windowTitle(), "PDF File Name Entry");
        EXPECT_EQ(name->findChild<QLabel*>("Label1")->text(), "Please enter a name for the PDF file you are creating");
        QTest::keyClicks(NameEdit(name), "Bad.Name");
        QTest::keyClick(NameEdit(name), Qt::Key_Return);
        editAfterRefusal = NameEdit(name)->text();
        QTest::keyClicks(NameEdit(name), "Gulls");
        QTest::keyClick(NameEdit(name), Qt::Key_Return);
    });
    script.Then([&](QWidget* box) {
        refused = BoxText(box);
        Press(box, "OK");
    });
    script.Then([&](QWidget* box) {
        success = BoxText(box);
        Press(box, "OK");
    });
    QTest::mouseClick(dialog.Button(TMainButton::Make), Qt::LeftButton);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(refused, "Information: Invalid character .");
    EXPECT_EQ(editAfterRefusal, "");
    EXPECT_EQ(success.toStdString(), "Information: Adobe Acrobat PDF File - \"Gulls.PDF\" - rendered successfully!\n\nIt "
                                     "was placed in . . .  " + Folder.Str());
    EXPECT_TRUE(dialog.Button(TMainButton::View)->isEnabled());
    EXPECT_EQ(dialog.Button(TMainButton::View)->text(), "View Gulls.PDF");
    EXPECT_FALSE(dialog.Button(TMainButton::Make)->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(ReadFile(Folder / "Gulls.PDF").substr(0, 13), "DEMO DOCUMENT");

    QTest::mouseClick(dialog.Button(TMainButton::View), Qt::LeftButton);
    EXPECT_EQ(Log.back(), "open [" + (Folder / "Gulls.PDF") + "] in [" + Folder.Str() + "]");
}

TEST_F(QtDialogTest, EscapeCancelsTheNameAndAnOverwriteAnsweredNoKeepsTheDialogOpen) {
    WriteFile(Folder / "Gulls.RTF", std::string("old"));
    TQtMainDialog dialog(RtfEngineProfile(), Render, Shell, {Report(), "Convert"});
    dialog.show();
    TModalScript script(FailTest);
    QString cancelled, question;
    script.Then([&](QWidget* name) {
        QTest::keyClicks(NameEdit(name), "Gulls");
        QTest::keyClick(NameEdit(name), Qt::Key_Return);  // the question opens over the dialog
        QTest::keyClick(NameEdit(name), Qt::Key_Escape);
    });
    script.Then([&](QWidget* box) {
        question = BoxText(box);
        Press(box, "&No");
    });
    script.Then([&](QWidget* box) {
        cancelled = BoxText(box);
        Press(box, "OK");
    });
    QTest::mouseClick(dialog.Button(TMainButton::Make), Qt::LeftButton);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(question.toStdString(), "Confirm: " + (Folder / "Gulls.RTF") + " already exists.\n\nOK to OVERWRITE?");
    EXPECT_EQ(cancelled, "Information: RTF operation cancelled by user");
    EXPECT_TRUE(dialog.Button(TMainButton::Make)->isEnabled());
    EXPECT_EQ(ReadFile(Folder / "Gulls.RTF"), "old");
}

TEST_F(QtDialogTest, AMalformedReportShowsTheErrorBoxTitledWithTheApplication) {
    WriteFile(Folder / "bad.ndr", MalformedReport());
    TQtMainDialog dialog(PdfEngineProfile(), Render, Shell, {Folder / "bad.ndr", "Convert"});
    dialog.show();
    TModalScript script(FailTest);
    QString error;
    script.Then([&](QWidget* name) {
        QTest::keyClicks(NameEdit(name), "Broken");
        QTest::mouseClick(name->findChild<QPushButton*>("OKBtn"), Qt::LeftButton);
    });
    script.Then([&](QWidget* box) {
        error = BoxText(box);
        EXPECT_EQ(qobject_cast<QMessageBox*>(box)->icon(), QMessageBox::Critical);
        Press(box, "OK");
    });
    QTest::mouseClick(dialog.Button(TMainButton::Make), Qt::LeftButton);
    EXPECT_EQ(error, "Tallow Adobe Acrobat PDF Machine: Unexpected header code [65] found in report file.");
    // Nothing was made, so nothing is offered to View.
    EXPECT_EQ(dialog.Button(TMainButton::View)->text(), "View &Current PDF Document");
    EXPECT_FALSE(dialog.Button(TMainButton::View)->isEnabled());
    EXPECT_FALSE(dialog.Button(TMainButton::Make)->isEnabled());
    EXPECT_FALSE(std::filesystem::exists(Folder / "Broken.PDF"));
}

TEST_F(QtDialogTest, TheInvalidCommandMessageComesBeforeTheDialogAndReturnCloses) {
    TModalScript script(FailTest);
    QString message;
    script.Then([&](QWidget* box) {
        message = BoxText(box);
        Press(box, "OK");
    });
    TQtMainDialog dialog(PdfEngineProfile(), Render, Shell, {Report(), "convert"});
    EXPECT_EQ(message, "Information: Invalid Command passed");
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(QtDialogTest, ViewAllOpensTheFileDialogInTheDataSetAndReportsATypedNameThatIsMissing) {
    TQtMainDialog dialog(RtfEngineProfile(), Render, Shell, {Folder.Str(), "View"});
    dialog.show();
    TModalScript script(FailTest);
    QString folder, filter, missing;
    script.Then([&](QWidget* modal) {
        auto* open = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(open, nullptr);
        EXPECT_EQ(open->objectName(), "RTFOpen");
        folder = open->directory().absolutePath();
        filter = open->nameFilters().join(QStringLiteral(";"));
        auto* name = open->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        QTest::keyClicks(name, "typed.RTF");
        QTest::keyClick(name, Qt::Key_Return);
    });
    script.Then([&](QWidget* box) {
        missing = BoxText(box);
        Press(box, "OK");
    });
    QTest::mouseClick(dialog.Button(TMainButton::ViewAll), Qt::LeftButton);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(folder.toStdString(), std::filesystem::canonical(Folder.Path()).string());
    EXPECT_EQ(filter, "RTF Files (*.[Rr][Tt][Ff])");
    EXPECT_EQ(missing.toStdString(), "Information: " + (Folder / "typed.RTF") + " does not exist - exiting");
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(QtDialogTest, TheSmallFontReachesOnlyControlsWithoutAFontOfTheirOwn) {
    TQtMainDialog pdf(PdfEngineProfile(), Render, Shell, {Report(), "Convert"});
    pdf.SetDialogFont(NonStandardDpiFont());
    EXPECT_EQ(pdf.font().family(), "MS Sans Serif");
    EXPECT_EQ(pdf.font().pointSize(), 6);
    EXPECT_TRUE(pdf.font().bold());
    EXPECT_EQ(pdf.Button(TMainButton::Make)->font().pointSize(), 6);
    EXPECT_EQ(pdf.findChild<QLabel*>("Label1")->font().pointSize(), 6);
    EXPECT_EQ(pdf.findChild<QLabel*>("Label3")->font().pointSize(), 8);

    TQtMainDialog rtf(RtfEngineProfile(), Render, Shell, {Report(), "Convert"});
    rtf.SetDialogFont(NonStandardDpiFont());
    EXPECT_EQ(rtf.Button(TMainButton::Make)->font().pointSize(), 8);
    EXPECT_EQ(rtf.findChild<QLabel*>("Label1")->font().pointSize(), 8);
    EXPECT_TRUE(rtf.findChild<QLabel*>("Label4")->font().bold());
}

// ---- the modal-window script itself ----

void ShowBox(const QString& title) {
    QMessageBox box;
    box.setWindowTitle(title);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}

TEST(ModalScript, AWindowAnsweredOnceIsNotAnsweredAgainWhenItIsActiveAgain) {
    // The box that follows the outer window takes the stack place, and so
    // the address, of the box closed over it; while the outer window is the
    // active modal window again, the script must still wait for that box.
    TModalScript script(FailTest);
    QStringList seen;
    script.Then([&](QWidget* outer) {
        seen << outer->windowTitle();
        ShowBox(QStringLiteral("inner"));
        QTest::qWait(100);
        qobject_cast<QDialog*>(outer)->accept();
    });
    for (int i = 0; i < 2; ++i)
        script.Then([&](QWidget* box) {
            seen << box->windowTitle();
            Press(box, "OK");
        });
    QDialog outer;
    outer.setWindowTitle(QStringLiteral("outer"));
    outer.exec();
    ShowBox(QStringLiteral("last"));
    EXPECT_EQ(seen, QStringList({"outer", "inner", "last"}));
    EXPECT_TRUE(script.Done());
}

TEST(ModalScript, AWindowShownAgainIsANewWindow) {
    TModalScript script(FailTest);
    int answers = 0;
    for (int i = 0; i < 2; ++i)
        script.Then([&](QWidget* dialog) {
            ++answers;
            qobject_cast<QDialog*>(dialog)->accept();
        });
    QDialog dialog;
    dialog.exec();
    dialog.exec();
    EXPECT_EQ(answers, 2);
    EXPECT_TRUE(script.Done());
}

TEST(ModalScript, AWindowNobodyAnswersFailsWithinTheLimitAndIsClosed) {
    std::string failure;
    TModalScript script([&](const std::string& why) { failure = why; }, std::chrono::milliseconds(300));
    script.Then([](QWidget*) {});  // looks at the first box and leaves it open
    const auto start = std::chrono::steady_clock::now();
    ShowBox(QStringLiteral("Lost"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(failure, "the modal-window script did not end in time, 0 step(s) left; open: QMessageBox \"Lost\": ");
    EXPECT_FALSE(script.Done());
}

TEST(QtPatterns, FiltersMatchEitherCase) {
    EXPECT_EQ(qt::CaseInsensitivePattern("*.PDF"), "*.[Pp][Dd][Ff]");
    EXPECT_EQ(qt::CaseInsensitivePattern("*.RTF"), "*.[Rr][Tt][Ff]");
}

}  // namespace
}  // namespace tal::front::testing

// The application object must outlive every test and go before Qt's own
// globals do, so it lives in main.
int main(int argc, char** argv) {
    // Run by hand on a machine without a display: the offscreen platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
