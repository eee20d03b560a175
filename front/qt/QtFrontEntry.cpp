// The entry of the Qt dialogs (front/QtFront.h): exported by the dialogs'
// module under a C name, and called directly where the dialogs are linked in.
#include "front/QtFront.h"
#include "front/qt/DisplayProbe.h"
#include "front/qt/QtEngine.h"

#ifndef TAL_PROJECT_VERSION
#error "TAL_PROJECT_VERSION names the build the dialogs belong to"
#endif

extern "C" __attribute__((visibility("default"))) void tal_qt_front_v1(tal::front::TQtFrontCall* call) {
    using namespace tal::front;
    if (!call) return;
    // A call of another layout is not even answered: its fields may lie
    // elsewhere.
    if (call->Size != sizeof(TQtFrontCall)) return;
    if (!call->Version || std::string(call->Version) != TAL_PROJECT_VERSION) {
        call->Reachable = false;
        call->Why = "The Qt dialogs belong to another build of the engines (" + std::string(TAL_PROJECT_VERSION) +
                    "); using the terminal dialogs.";
        return;
    }
    // QApplication aborts the process when its display does not answer, so
    // the display is asked first; the probe's connection stays open while
    // Qt runs (see TDisplayProbe::HeldX).
    const auto display = qt::ProbeDisplay();
    call->Reachable = display.Reachable;
    call->Why = display.Why;
    if (!display.Reachable || call->ProbeOnly) return;
    call->Status = RunQtEngine(*call->Profile, *call->Renderer, *call->Shell, *call->Arguments);
}
