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
    // When in is the program's standard input and that is a terminal, lines
    // are read key by key (front/console/KeyReader.h), so that Escape alone
    // answers; otherwise line by line from the stream.
    TTerminal(std::istream& in, std::ostream& out);

    void Print(const std::string& text);
    void PrintLine(const std::string& text);
    // A line without its end; nothing at the end of input. A line of
    // Escape alone (at a terminal: the Escape key) is EscapeKey.
    std::optional<std::string> ReadLine(const std::string& prompt);

private:
    std::istream& FIn;
    std::ostream& FOut;
    int FKeyFd = -1;  // the terminal read key by key, or -1
    bool FKeysEnded = false;
};

// A caption with its accelerator shown: "&Make" -> "[M]ake", "&&" -> "&".
std::string ShowAccelerator(const std::string& caption);
// The accelerator letter of a caption in lower case, or 0.
char AcceleratorLetter(const std::string& caption);
// A caption without its accelerator mark: "&Make" -> "Make".
std::string StripAccelerator(const std::string& caption);

}  // namespace tal::front
