#include "front/console/Terminal.h"

#include <unistd.h>

#include <cctype>
#include <iostream>

#include "front/Utf8.h"
#include "front/console/KeyReader.h"

namespace tal::front {

namespace {

std::string Printable(const std::string& text) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const TUtf8Char c = NextUtf8Char(text, at);
        const bool control = c.Code < 32 || c.Code == 127 || (c.Code >= 0x80 && c.Code <= 0x9F);
        if (!c.Valid) {
            const auto byte = static_cast<unsigned char>(text[at]);
            shown += "\\x";
            shown += hex[byte >> 4];
            shown += hex[byte & 15];
        } else if (!control || c.Code == '\n' || c.Code == '\r' || c.Code == '\t') {
            shown.append(text, at, c.Length);
        } else if (c.Code < 32) {
            shown += '^';
            shown += static_cast<char>(c.Code + 64);
        } else {
            shown += c.Code == 127 ? "^?" : "^[C1]";
        }
        at += c.Length;
    }
    return shown;
}

}  // namespace

TTerminal::TTerminal(std::istream& in, std::ostream& out) : FIn(in), FOut(out) {
    if (&in == &std::cin && IsKeyTerminal(STDIN_FILENO)) FKeyFd = STDIN_FILENO;
}

void TTerminal::Print(const std::string& text) { FOut << Printable(text) << std::flush; }

void TTerminal::PrintLine(const std::string& text) { FOut << Printable(text) << '\n' << std::flush; }

std::optional<std::string> TTerminal::ReadLine(const std::string& prompt) {
    if (FKeyFd >= 0) {
        // The end of input stays, as it does for a stream.
        if (FKeysEnded) {
            FOut << Printable(prompt) << '\n' << std::flush;
            return std::nullopt;
        }
        auto line = ReadKeyLine(FKeyFd, FOut, Printable(prompt));
        FKeysEnded = !line;
        return line;
    }
    Print(prompt);
    std::string line;
    if (!std::getline(FIn, line)) {
        FOut << '\n' << std::flush;
        return std::nullopt;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

std::string ShowAccelerator(const std::string& caption) {
    std::string shown;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] != '&' || i + 1 == caption.size()) {
            shown += caption[i];
        } else if (caption[i + 1] == '&') {
            shown += '&';
            ++i;
        } else {
            shown += '[';
            shown += caption[++i];
            shown += ']';
        }
    }
    return shown;
}

char AcceleratorLetter(const std::string& caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        return static_cast<char>(std::tolower(static_cast<unsigned char>(caption[i + 1])));
    }
    return 0;
}

std::string StripAccelerator(const std::string& caption) {
    std::string plain;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) ++i;
        plain += caption[i];
    }
    return plain;
}

}  // namespace tal::front
