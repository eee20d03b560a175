#pragma once
// Macro markers in report texts: built-in macros (byte FD, "$RPCM", two
// digits) and report variables (byte FD, "$RPCV", byte FC, name, byte FB),
// replaced by their values when a text is read.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace tal {

// A variable whose value holds a marker for itself would otherwise be
// expanded without end: past this many replacements in one text the
// markers are removed without inserting their values.
inline constexpr int MaxMacroExpansions = 1000;

// The values inserted into one text add up to at most this many bytes (128
// values of the longest variable value, 128 bytes); once a value would pass
// it, that marker and every later one are removed without inserting. The
// work of an expansion grows with the bytes inserted (markers inside values
// are read again), so this bound keeps a text of a few bytes from costing
// more than a few thousand times its size.
inline constexpr std::size_t MaxMacroGrowth = 16 * 1024;

struct TMacroValues {
    std::function<std::string(int code)> BuiltIn;
    std::function<std::string(const std::string& name)> Variable;
};

// Replaces every marker in one pass from left to right. An inserted value is
// read again before the text after it, so markers inside values expand too,
// and so do markers that a replacement completes with the bytes around it.
// A built-in marker whose digits are not digits raises EConvertError.
std::string ExpandMacroMarkers(std::string_view text, const TMacroValues& values);

}  // namespace tal
