#pragma once
// Opening a document with the application the desktop associates with its
// type. Results follow the Windows shell's convention: a value below 32 is
// a failure and tells why.
#include <chrono>
#include <functional>
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
    // current folder (ignored when empty or missing). Returns once the
    // desktop has said whether it could open the document, or after a short
    // wait, never waiting for the application itself.
    virtual int OpenDocument(const std::string& path, const std::string& workingFolder) = 0;
    // Called now and then while OpenDocument waits, so that a window can
    // keep painting itself.
    virtual void SetWhileWaiting(std::function<void()> hook) { (void)hook; }
};

// The desktop's opener: xdg-open, found on PATH, started in a session of
// its own so that it outlives the engine. Its exit status is awaited for at
// most wait (xdg-open exits at once when nothing can open the document, but
// may stay until the viewer closes where it runs the viewer itself) and
// mapped to a shell number; still running then counts as started.
class TXdgOpenShell final : public TShell {
public:
    explicit TXdgOpenShell(std::string opener = "xdg-open",
                           std::chrono::milliseconds wait = std::chrono::milliseconds(3000))
        : FOpener(std::move(opener)), FWait(wait) {}
    int OpenDocument(const std::string& path, const std::string& workingFolder) override;
    void SetWhileWaiting(std::function<void()> hook) override { FWhileWaiting = std::move(hook); }

private:
    std::string FOpener;
    std::chrono::milliseconds FWait;
    std::function<void()> FWhileWaiting;
};

// The shell number for an exit status of xdg-open: 0 started, 2 the file is
// missing, 3 and 4 nothing can open it (no tool, the action failed), 5 it
// cannot be read; any other status counts as a failure to start.
int ShellResultForOpenerExit(int status);

}  // namespace tal::front
