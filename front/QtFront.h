#pragma once
// The Qt dialogs seen from the engine's main program. A conversion with -o
// never shows a window, so the programs keep Qt (and the X and ICU libraries
// under it) out of their start: the dialogs are a module loaded from beside
// the program when a dialog is to be shown. Tests and the demo programs link
// the same dialogs in instead; both reach them through one entry.
#include <cstddef>
#include <string>
#include <vector>

#include "front/EngineProfile.h"
#include "front/Shell.h"
#include "render/RpRender.h"

namespace tal::front {

// One call into the dialogs. The caller fills the first part; the dialogs
// answer in the second.
struct TQtFrontCall {
    // The size of this call and the project version the caller was built
    // with: a module of another build declines the call rather than misread
    // it.
    std::size_t Size = sizeof(TQtFrontCall);
    const char* Version = nullptr;
    // Only ask whether a display answers; nothing else is read.
    bool ProbeOnly = false;
    const TEngineProfile* Profile = nullptr;
    TRPRender* Renderer = nullptr;
    TShell* Shell = nullptr;
    const std::vector<std::string>* Arguments = nullptr;

    // Whether the dialogs could run (or, probing, would run).
    bool Reachable = false;
    // When not: one line for the user saying why, or empty when nothing
    // names a display.
    std::string Why;
    // The program's exit status after the dialogs ran.
    int Status = 0;
};

// The entry of the dialogs: probes the display and, when it answers and
// ProbeOnly is not set, runs the engine's dialogs until the main dialog
// closes. Errors of the dialogs pass as exceptions.
using TQtFrontEntry = void (*)(TQtFrontCall*);
inline constexpr const char* QtFrontEntryName = "tal_qt_front_v1";

// The dialogs that come with this program, loaded on the first call; null
// with the reason in why when there are none (a build without Qt leaves why
// empty). One of three libraries defines it: the dialogs linked in, the
// module loader, or none.
TQtFrontEntry FindQtFront(std::string& why);

}  // namespace tal::front
