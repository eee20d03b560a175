#include "front/Progress.h"

#include <unistd.h>

#include <algorithm>
#include <iostream>

namespace tal::front {

TTerminalProgress::TTerminalProgress(TRPRender& renderer, std::ostream& out, bool shown)
    : FRenderer(renderer), FOut(out) {
    if (!shown) return;
    FRenderer.OnPageDone = [this](std::int32_t page, std::int32_t pages) {
        const std::string text = "Page " + std::to_string(page) + " of " + std::to_string(pages);
        FOut << '\r' << text;
        if (text.size() < FShownWidth) FOut << std::string(FShownWidth - text.size(), ' ');
        FOut << std::flush;
        FShownWidth = std::max(FShownWidth, text.size());
    };
}

TTerminalProgress::~TTerminalProgress() {
    Finish();
    FRenderer.OnPageDone = nullptr;
}

void TTerminalProgress::Finish() {
    if (FShownWidth == 0) return;
    FOut << '\r' << std::string(FShownWidth, ' ') << '\r' << std::flush;
    FShownWidth = 0;
}

bool IsTerminalStandardError(const std::ostream& out) { return &out == &std::cerr && ::isatty(STDERR_FILENO) == 1; }

}  // namespace tal::front
