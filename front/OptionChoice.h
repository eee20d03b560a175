#pragma once
// A command-line option whose value is one word of a few (higher|smaller),
// in either case; a wrong word is answered in words ("best is not one of
// higher, smaller") rather than in the argument parser's notation.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <map>
#include <string>

namespace tal::front {

template <typename TEnum>
CLI::Validator OneWordOf(const std::map<std::string, TEnum>& words) {
    std::string names;
    for (const auto& [name, value] : words) names += (names.empty() ? "" : ", ") + name;
    return CLI::Validator(
        [words, names](std::string& given) -> std::string {
            std::string lower = given;
            std::transform(lower.begin(), lower.end(), lower.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            const auto found = words.find(lower);
            if (found == words.end()) return given + " is not one of " + names;
            given = std::to_string(static_cast<int>(found->second));  // the enumeration parses its number
            return {};
        },
        "", "one word of a few");
}

}  // namespace tal::front
