#include "front/Viewing.h"

#include <cctype>

#include "front/FrontText.h"
#include "platform/Stream.h"

namespace tal::front {

void TViewer::Open(const std::string& path) {
    // The working folder is the data set's, also for a document chosen
    // elsewhere.
    const int result = FShell.OpenDocument(path, FState.DataSetFolder);
    if (result >= 32) return;
    std::string message = FProfile.ViewFailedMessage;
    message.append(std::to_string(result));
    FBoxes.ShowInformation(CutText(message));
}

void TViewer::ViewCurrent() { Open(FState.DocPath); }

void TViewer::ViewAll() {
    const auto chosen = FWindow.ChooseFile(FProfile.OpenFilter, FState.DataSetFolder);
    if (!chosen) return;
    // The dialog lets the user type any name; only this action ends.
    if (!FileExists(*chosen)) {
        std::string message = *chosen;
        message.append(" does not exist - exiting");
        FBoxes.ShowInformation(CutText(message));
        return;
    }
    Open(*chosen);
}

namespace {

bool SameLetter(char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

// Iterative glob with one back-track point, linear in practice.
bool Glob(const std::string& name, const std::string& pattern) {
    std::size_t n = 0, p = 0, starP = std::string::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || (pattern[p] != '*' && SameLetter(pattern[p], name[n])))) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace

bool MatchesPattern(const std::string& name, const std::string& pattern) { return Glob(name, pattern); }

}  // namespace tal::front
