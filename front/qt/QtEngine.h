#pragma once
// Runs an engine with its Qt dialogs until the main dialog closes.
#include <string>
#include <vector>

#include "front/EngineProfile.h"
#include "front/Shell.h"
#include "render/RpRender.h"

namespace tal::front {

namespace qt {
// Names the application after the engine for the desktop: the application
// title (which the window manager's title bars and the task bar show beside
// each window's own title), the desktop file that describes it, and its icon.
void PrepareApplication(const TEngineProfile& profile);
}  // namespace qt

int RunQtEngine(const TEngineProfile& profile, TRPRender& renderer, TShell& shell,
                const std::vector<std::string>& arguments);

}  // namespace tal::front
