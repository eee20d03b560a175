#pragma once
// Opening a document with the application the desktop associates with its
// type. Results follow the Windows shell's convention: a value below 32 is
// a failure and tells why.
#include <string>

namespace tal::front {

namespace shell_result {
inline constexpr int OutOfResources = 0;
inline constexpr int FileNotFound = 2;
inline constexpr int PathNotFound = 3;
inline constexpr int AccessDenied = 5;
inline constexpr int OutOfMemory = 8;
inline constexpr int NoAssociation = 31;
inline constexpr int Started = 42;  // any value of 32 or more means success
}  // namespace shell_result

class TShell {
public:
    virtual ~TShell() = default;
    // Starts the associated application for path, with workingFolder as its
    // current folder (ignored when empty or missing), and returns without
    // waiting for it.
    virtual int OpenDocument(const std::string& path, const std::string& workingFolder) = 0;
};

// The desktop's opener: xdg-open, found on PATH, started detached in a
// session of its own so that it outlives the engine and is never waited for.
class TXdgOpenShell final : public TShell {
public:
    explicit TXdgOpenShell(std::string opener = "xdg-open") : FOpener(std::move(opener)) {}
    int OpenDocument(const std::string& path, const std::string& workingFolder) override;

private:
    std::string FOpener;
};

}  // namespace tal::front
