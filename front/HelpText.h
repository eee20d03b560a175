#pragma once
// What --help prints: the command line of an engine written for the people
// who use it (forms, options with their values, the page-selection syntax,
// exit statuses, an example).
#include <string>

#include "front/EngineProfile.h"

namespace tal::front {

std::string EngineHelp(const TEngineProfile& profile);

}  // namespace tal::front
