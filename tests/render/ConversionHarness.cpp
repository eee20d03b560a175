#include "tests/render/ConversionHarness.h"

namespace tal::testing {

std::vector<std::string> Only(const std::vector<std::string>& lines, std::initializer_list<std::string> prefixes) {
    std::vector<std::string> kept;
    for (const auto& line : lines)
        for (const auto& prefix : prefixes)
            if (line.rfind(prefix, 0) == 0) {
                kept.push_back(line);
                break;
            }
    return kept;
}

}  // namespace tal::testing
