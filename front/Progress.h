#pragma once
// "Page N of M" on a terminal while a conversion without a dialog runs,
// rewritten in place after each page and wiped when the conversion ends,
// so that only the outcome stays on the screen.
#include <iosfwd>
#include <string>

#include "render/RpRender.h"

namespace tal::front {

class TTerminalProgress {
public:
    // Shows nothing unless shown is true.
    TTerminalProgress(TRPRender& renderer, std::ostream& out, bool shown);
    ~TTerminalProgress();
    TTerminalProgress(const TTerminalProgress&) = delete;
    TTerminalProgress& operator=(const TTerminalProgress&) = delete;

    // Wipes the progress line (also done when the object goes).
    void Finish();

private:
    TRPRender& FRenderer;
    std::ostream& FOut;
    std::size_t FShownWidth = 0;
};

// Whether out is the program's standard error and that is a terminal: the
// only place progress goes, never into a file or a pipe.
bool IsTerminalStandardError(const std::ostream& out);

}  // namespace tal::front
