#pragma once
// Opening the document just made, and browsing the documents of the data
// set. None of these changes the engine's state; each can run any number of
// times.
#include <string>

#include "front/EngineProfile.h"
#include "front/EngineState.h"
#include "front/Shell.h"
#include "front/Windowing.h"

namespace tal::front {

class TViewer {
public:
    TViewer(const TEngineProfile& profile, const TEngineState& state, TMainWindow& window, TMessageBoxes& boxes,
            TShell& shell)
        : FProfile(profile), FState(state), FWindow(window), FBoxes(boxes), FShell(shell) {}

    // Opens DocPath.
    void ViewCurrent();
    // Lets the user choose any document of the engine's kind and opens it.
    void ViewAll();

private:
    void Open(const std::string& path);

    const TEngineProfile& FProfile;
    const TEngineState& FState;
    TMainWindow& FWindow;
    TMessageBoxes& FBoxes;
    TShell& FShell;
};

// Matches a file name against a pattern of the open-file dialog ("*.PDF"):
// "*" any run, "?" one character, letters in either case, as the host
// platform's dialogs match.
bool MatchesPattern(const std::string& name, const std::string& pattern);

}  // namespace tal::front
