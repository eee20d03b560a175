#pragma once
// Runs an engine with its dialogs on the terminal until the user returns.
#include <string>
#include <vector>

#include "front/EngineProfile.h"
#include "front/Shell.h"
#include "front/console/Terminal.h"
#include "render/RpRender.h"

namespace tal::front {

int RunConsoleEngine(const TEngineProfile& profile, TRPRender& renderer, TShell& shell,
                     const std::vector<std::string>& arguments, TTerminal& terminal);

}  // namespace tal::front
