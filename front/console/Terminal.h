#pragma once
// Line-oriented talk with the user on a terminal: texts out, lines in. What
// the engine prints may hold names from the command line or the disk, so
// control characters other than the line breaks are shown as ^X and can
// never drive the terminal.
#include <iosfwd>
#include <optional>
#include <string>

namespace tal::front {

class TTerminal {
public:
    TTerminal(std::istream& in, std::ostream& out) : FIn(in), FOut(out) {}

    void Print(const std::string& text);
    void PrintLine(const std::string& text);
    // A line without its end; nothing at the end of input.
    std::optional<std::string> ReadLine(const std::string& prompt);

private:
    std::istream& FIn;
    std::ostream& FOut;
};

// A caption with its accelerator shown: "&Make" -> "[M]ake", "&&" -> "&".
std::string ShowAccelerator(const std::string& caption);
// The accelerator letter of a caption in lower case, or 0.
char AcceleratorLetter(const std::string& caption);
// A caption without its accelerator mark: "&Make" -> "Make".
std::string StripAccelerator(const std::string& caption);

}  // namespace tal::front
