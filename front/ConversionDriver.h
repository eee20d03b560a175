#pragma once
// The main dialog's logic, shared by both engines: reads the command line,
// runs the one conversion of a run when Make is pressed, reports the outcome
// and hands the viewing buttons to TViewer.
#include <string>
#include <vector>

#include "front/EngineProfile.h"
#include "front/EngineState.h"
#include "front/NameU.h"
#include "front/PathRules.h"
#include "front/Shell.h"
#include "front/Viewing.h"
#include "front/Windowing.h"
#include "render/RpRender.h"

namespace tal::front {

enum class TEngineMode {
    ConvertNotMade,  // Make enabled, View disabled
    View,            // browsing only
    Made,            // the one conversion of this run is over; View opens its document
    Failed,          // the one conversion of this run failed; there is no document to view
};

class TConversionDriver {
public:
    TConversionDriver(const TEngineProfile& profile, TEngineState& state, TMainWindow& window, TMessageBoxes& boxes,
                      TNameForm& nameForm, TRPRender& renderer, TShell& shell, TPathStyle style = HostPathStyle());

    // ---- main dialog events ----
    // arguments: the command line after the program name.
    void FormCreate(const std::vector<std::string>& arguments);
    void FormActivate();
    void MakeBtnClick();
    void ViewBtnClick();
    void ViewAllBtnClick();
    void CloseBtnClick();

    TEngineMode Mode() const { return FMode; }
    const TEngineState& State() const { return FState; }
    const TEngineProfile& Profile() const { return FProfile; }

    // The success message for the document just made.
    std::string SuccessMessage() const;
    // The View button's caption once DocName is known.
    std::string MadeViewCaption() const;

private:
    void ShowInfo(const std::string& text);
    // Reads the report and renders it; the error's message when that failed.
    bool Convert(std::string& error);
    void EnterMadeState();
    void EnterFailedState();

    const TEngineProfile& FProfile;
    TEngineState& FState;
    TMainWindow& FWindow;
    TMessageBoxes& FBoxes;
    TNameForm& FNameForm;
    TRPRender& FRenderer;
    TViewer FViewer;
    TPathStyle FStyle;
    TEngineMode FMode = TEngineMode::ConvertNotMade;
};

// The font the main dialog takes on a screen that is not at 96 pixels per inch.
TDialogFont NonStandardDpiFont();

}  // namespace tal::front
