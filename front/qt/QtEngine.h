#pragma once
// Runs an engine with its Qt dialogs until the main dialog closes.
#include <string>
#include <vector>

#include "front/EngineProfile.h"
#include "front/Shell.h"
#include "render/RpRender.h"

namespace tal::front {

int RunQtEngine(const TEngineProfile& profile, TRPRender& renderer, TShell& shell,
                const std::vector<std::string>& arguments);

}  // namespace tal::front
