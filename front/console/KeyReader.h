#pragma once
// Reading a line from a terminal key by key, so that Escape on its own
// answers at once (a terminal in its usual line mode would wait for Enter
// and echo ^[). The reader echoes what is typed and edits the line itself
// (Backspace, Ctrl-U); Ctrl-D on an empty line is the end of input; Ctrl-C
// puts the terminal back and interrupts the program as usual.
#include <iosfwd>
#include <optional>
#include <string>

namespace tal::front {

// The text given back for a line ended by Escape.
inline constexpr const char* EscapeKey = "\x1b";

// Whether fd is a terminal that the key reader can drive.
bool IsKeyTerminal(int fd);

// Shows prompt on echo and reads one line from the terminal fd, echoing
// it; EscapeKey when Escape was pressed on its own (keys that send escape
// sequences, such as the arrows, are ignored); nothing at the end of input.
// The prompt appears once the terminal reads keys, so that whoever answers
// it is read key by key.
std::optional<std::string> ReadKeyLine(int fd, std::ostream& echo, const std::string& prompt);

}  // namespace tal::front
