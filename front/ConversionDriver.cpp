#include "front/ConversionDriver.h"

#include "front/FrontText.h"
#include "front/ReportFile.h"
#include "platform/Stream.h"

namespace tal::front {

TDialogFont NonStandardDpiFont() { return {"MS Sans Serif", 6, true}; }

TConversionDriver::TConversionDriver(const TEngineProfile& profile, TEngineState& state, TMainWindow& window,
                                     TMessageBoxes& boxes, TNameForm& nameForm, TRPRender& renderer, TShell& shell,
                                     TPathStyle style)
    : FProfile(profile),
      FState(state),
      FWindow(window),
      FBoxes(boxes),
      FNameForm(nameForm),
      FRenderer(renderer),
      FViewer(profile, state, window, boxes, shell),
      FStyle(style) {}

void TConversionDriver::ShowInfo(const std::string& text) {
    FBoxes.ShowInformation(CutText(text));
    FormActivate();  // the closing box makes the main dialog active again
}

void TConversionDriver::FormCreate(const std::vector<std::string>& arguments) {
    FState.NonStandardDPI = FWindow.ScreenLogicalDpi() != 96;
    FWindow.EnableButton(TMainButton::View, false);
    const std::string first = arguments.size() > 0 ? arguments[0] : "";
    const std::string command = arguments.size() > 1 ? arguments[1] : "";
    if (command == "View") {
        FState.DataSetFolder = first;
        FWindow.EnableButton(TMainButton::Make, false);
        FMode = TEngineMode::View;
        return;
    }
    if (command != "Convert") {
        ShowInfo("Invalid Command passed");
        return;
    }
    if (first.empty())
        ShowInfo(FProfile.NoNdrArgumentMessage);
    else
        FState.NDRFileName = first;
}

void TConversionDriver::FormActivate() {
    if (FState.NonStandardDPI) FWindow.SetDialogFont(NonStandardDpiFont());
}

void TConversionDriver::MakeBtnClick() {
    if (FMode != TEngineMode::ConvertNotMade) return;  // one conversion per run
    if (!FileExists(FState.NDRFileName)) {
        ShowInfo(FProfile.InvalidNdrFileMessage);
        return;
    }
    FState.DataSetFolder = DirectoryPart(FState.NDRFileName, FStyle);
    // A bare file name has no folder part: the report lies in the current
    // folder, and so shall the document.
    if (FState.DataSetFolder.empty()) FState.DataSetFolder = CurrentFolder();
    FWindow.BringToFront();
    FState.DocName = FNameForm.AskForName();
    FormActivate();
    if (FState.DocName == CancelMarker) {
        ShowInfo(FProfile.CancelledMessage);
        return;  // Make stays enabled, so the user may try again
    }
    FState.DocPath = DocumentPath(FState.DataSetFolder, FState.DocName, FProfile.Extension, FStyle);
    std::string error;
    if (Convert(error)) {
        ShowInfo(SuccessMessage());
        EnterMadeState();
        return;
    }
    EnterFailedState();
    FBoxes.ShowError(FProfile.ApplicationTitle, error);
    FormActivate();
}

bool TConversionDriver::Convert(std::string& error) {
    TBusyCursor busy(FWindow);
    try {
        TMemoryStream report;
        LoadReport(report, FState.NDRFileName);
        FRenderer.RenderToFile(report, FState.DocPath);
        return true;
    } catch (const std::exception& e) {
        error = e.what();
    } catch (...) {
        error = "The conversion failed for an unknown reason.";
    }
    return false;
}

void TConversionDriver::EnterMadeState() {
    FMode = TEngineMode::Made;
    FWindow.EnableButton(TMainButton::View, true);
    FWindow.EnableButton(TMainButton::Make, false);
    FWindow.SetButtonCaption(TMainButton::View, MadeViewCaption());
    FWindow.FocusButton(TMainButton::View);
}

// A failed conversion leaves the previous document (if any) as it was and
// makes none: View stays disabled with its first caption, so that it never
// offers a document that is not there or not whole, and Make stays disabled
// (one conversion per run).
void TConversionDriver::EnterFailedState() {
    FMode = TEngineMode::Failed;
    FWindow.EnableButton(TMainButton::View, false);
    FWindow.EnableButton(TMainButton::Make, false);
    FWindow.FocusButton(TMainButton::Close);
}

std::string TConversionDriver::MadeViewCaption() const {
    if (FState.DocName.size() <= 14) return "View " + FState.DocName + FProfile.Extension;
    return FProfile.LongNameViewCaption;
}

std::string TConversionDriver::SuccessMessage() const {
    return FProfile.SuccessFirstWords + "\"" + FState.DocName + FProfile.Extension + "\"" + " - " +
           "rendered successfully!" + std::string(ParagraphBreak) + "It was placed in . . .  " +
           FState.DataSetFolder;
}

void TConversionDriver::ViewBtnClick() {
    if (FMode != TEngineMode::Made) return;  // the button is disabled until Make
    FViewer.ViewCurrent();
    FormActivate();
}

void TConversionDriver::ViewAllBtnClick() {
    FViewer.ViewAll();
    FormActivate();
}

void TConversionDriver::CloseBtnClick() { FWindow.CloseDialog(); }

}  // namespace tal::front
