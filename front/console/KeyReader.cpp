#include "front/console/KeyReader.h"

#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <ostream>

namespace tal::front {

namespace {

// Keys without line mode, echo or signal keys for as long as it lives;
// the terminal's own settings come back on every way out.
class TKeyMode {
public:
    explicit TKeyMode(int fd) : FFd(fd) {
        if (::tcgetattr(fd, &FSaved) != 0) return;
        termios keys = FSaved;
        keys.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG);
        keys.c_cc[VMIN] = 1;
        keys.c_cc[VTIME] = 0;
        FActive = ::tcsetattr(fd, TCSANOW, &keys) == 0;
    }
    ~TKeyMode() { Restore(); }
    TKeyMode(const TKeyMode&) = delete;
    TKeyMode& operator=(const TKeyMode&) = delete;
    void Restore() {
        if (FActive) ::tcsetattr(FFd, TCSANOW, &FSaved);
        FActive = false;
    }

private:
    int FFd;
    termios FSaved {};
    bool FActive = false;
};

// The next byte, or nothing at the end of input; within waitMs only when
// waitMs is not negative.
std::optional<unsigned char> NextByte(int fd, int waitMs = -1) {
    if (waitMs >= 0) {
        pollfd ready {fd, POLLIN, 0};
        int n;
        while ((n = ::poll(&ready, 1, waitMs)) < 0 && errno == EINTR) {
        }
        if (n <= 0) return std::nullopt;
    }
    unsigned char byte = 0;
    ssize_t n;
    while ((n = ::read(fd, &byte, 1)) < 0 && errno == EINTR) {
    }
    if (n != 1) return std::nullopt;
    return byte;
}

// The rest of an escape sequence (ESC [ ... final, ESC O x, ESC x).
void SkipSequence(int fd, unsigned char second) {
    if (second == 'O') {
        NextByte(fd, 50);
        return;
    }
    if (second != '[') return;
    while (const auto byte = NextByte(fd, 50)) {
        if (*byte >= 0x40 && *byte <= 0x7E) return;
    }
}

// Removes the last character (all bytes of a UTF-8 sequence).
void EraseLast(std::string& line, std::ostream& echo) {
    if (line.empty()) return;
    while (line.size() > 1 && (static_cast<unsigned char>(line.back()) & 0xC0) == 0x80) line.pop_back();
    line.pop_back();
    echo << "\b \b";
}

}  // namespace

bool IsKeyTerminal(int fd) {
    termios mode {};
    return ::isatty(fd) == 1 && ::tcgetattr(fd, &mode) == 0;
}

std::optional<std::string> ReadKeyLine(int fd, std::ostream& echo, const std::string& prompt) {
    TKeyMode keys(fd);
    echo << prompt;
    std::string line;
    while (true) {
        echo << std::flush;
        const auto byte = NextByte(fd);
        if (!byte) {
            echo << '\n';
            if (line.empty()) return std::nullopt;
            return line;
        }
        switch (*byte) {
            case '\r':
            case '\n': echo << '\n' << std::flush; return line;
            case 0x04:  // Ctrl-D
                if (!line.empty()) break;
                echo << '\n' << std::flush;
                return std::nullopt;
            case 0x1B:
                if (const auto next = NextByte(fd, 50)) {
                    SkipSequence(fd, *next);
                    break;
                }
                echo << '\n' << std::flush;
                return std::string(EscapeKey);
            case 0x7F:
            case 0x08: EraseLast(line, echo); break;
            case 0x15:  // Ctrl-U
                while (!line.empty()) EraseLast(line, echo);
                break;
            case 0x03:  // Ctrl-C
                echo << '\n' << std::flush;
                keys.Restore();
                ::raise(SIGINT);
                return std::nullopt;
            default:
                if (*byte < 0x20) break;  // other control keys do nothing
                line += static_cast<char>(*byte);
                echo << static_cast<char>(*byte);
        }
    }
}

}  // namespace tal::front
