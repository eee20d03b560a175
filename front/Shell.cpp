#include "front/Shell.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <optional>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace tal::front {

namespace {

int ResultForErrno(int error) {
    switch (error) {
        case ENOENT: return shell_result::FileNotFound;
        case ENOTDIR: return shell_result::PathNotFound;
        case EACCES:
        case EPERM: return shell_result::AccessDenied;
        case ENOMEM: return shell_result::OutOfMemory;
        default: return shell_result::OutOfResources;
    }
}

// The full path of an executable found on PATH, or empty.
std::string FindOnPath(const std::string& program) {
    if (program.find('/') != std::string::npos) return ::access(program.c_str(), X_OK) == 0 ? program : "";
    const char* path = std::getenv("PATH");
    std::string_view rest = path ? path : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        const auto colon = rest.find(':');
        const std::string_view entry = rest.substr(0, colon);
        std::string candidate(entry.empty() ? std::string_view(".") : entry);  // an empty entry is "."
        candidate += '/';
        candidate += program;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        if (colon == std::string_view::npos) return {};
        rest.remove_prefix(colon + 1);
    }
}

bool IsFolder(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Owns the two ends of a pipe.
class TPipe {
public:
    TPipe() {
        if (::pipe2(FEnds, O_CLOEXEC) != 0) FEnds[0] = FEnds[1] = -1;
    }
    ~TPipe() {
        CloseRead();
        CloseWrite();
    }
    TPipe(const TPipe&) = delete;
    TPipe& operator=(const TPipe&) = delete;
    bool Valid() const { return FEnds[0] >= 0; }
    int ReadEnd() const { return FEnds[0]; }
    int WriteEnd() const { return FEnds[1]; }
    void CloseRead() { CloseEnd(0); }
    void CloseWrite() { CloseEnd(1); }

private:
    void CloseEnd(int i) {
        if (FEnds[i] >= 0) ::close(FEnds[i]);
        FEnds[i] = -1;
    }
    int FEnds[2] = {-1, -1};
};

// What the watcher and the opener send the engine through the pipe.
struct TOpenerReport {
    enum TKind : int { ExecFailed = 1, Exited = 2, Killed = 3 };
    int Kind = 0;
    int Value = 0;  // errno, exit status or signal
};

void Send(int fd, TOpenerReport report) { (void)!::write(fd, &report, sizeof report); }

// In the opener: move to the working folder and run xdg-open with nothing
// of the terminal. Only async-signal-safe calls from here on.
[[noreturn]] void ExecOpener(const std::string& opener, char* const argv[], const std::string& folder, int report) {
    if (!folder.empty()) (void)!::chdir(folder.c_str());
    ::signal(SIGPIPE, SIG_DFL);  // the watcher's choice is not the viewer's
    ::execv(opener.c_str(), argv);
    Send(report, {TOpenerReport::ExecFailed, errno});
    ::_exit(127);
}

// In the watcher, a process of its own session that init adopts: keep only
// the pipe (as descriptor 3) and /dev/null, so that no window-system
// connection or file of the engine outlives it; start the opener, wait for
// it and send its exit status. The engine may have stopped listening by
// then; the write then fails harmlessly.
[[noreturn]] void WatchOpener(const std::string& opener, char* const argv[], const std::string& folder, int report) {
    ::setsid();
    ::signal(SIGPIPE, SIG_IGN);
    const int kept = ::fcntl(report, F_DUPFD, 64);
    const int devnull = ::open("/dev/null", O_RDWR);
    if (kept < 0 || devnull < 0) ::_exit(1);
    for (int fd = 0; fd < 3; ++fd) ::dup2(devnull, fd);
    ::dup2(kept, 3);
    ::fcntl(3, F_SETFD, FD_CLOEXEC);
    ::close_range(4, ~0U, 0);
    const pid_t child = ::fork();
    if (child < 0) {
        Send(3, {TOpenerReport::ExecFailed, errno});
        ::_exit(1);
    }
    if (child == 0) ExecOpener(opener, argv, folder, 3);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status))
        Send(3, {TOpenerReport::Exited, WEXITSTATUS(status)});
    else
        Send(3, {TOpenerReport::Killed, WIFSIGNALED(status) ? WTERMSIG(status) : 0});
    ::_exit(0);
}

// Reads the watcher's reports until one tells the outcome, the pipe closes
// or the wait is over; whileWaiting runs between short polls.
std::optional<TOpenerReport> AwaitOutcome(int fd, std::chrono::milliseconds wait,
                                          const std::function<void()>& whileWaiting) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    TOpenerReport report;
    std::size_t have = 0;
    while (true) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return std::nullopt;
        pollfd ready {fd, POLLIN, 0};
        const int slice = static_cast<int>(std::min<std::int64_t>(left.count(), 50));
        const int n = ::poll(&ready, 1, slice);
        if (n < 0 && errno != EINTR) return std::nullopt;
        if (n > 0) {
            const ssize_t got = ::read(fd, reinterpret_cast<char*>(&report) + have, sizeof report - have);
            if (got == 0) return TOpenerReport {};  // the watcher ended without a word
            if (got > 0 && (have += static_cast<std::size_t>(got)) == sizeof report) return report;
        }
        if (whileWaiting) whileWaiting();
    }
}

int ResultForReport(const TOpenerReport& report) {
    switch (report.Kind) {
        // The opener exists but could not be started: as if nothing were
        // associated with the document.
        case TOpenerReport::ExecFailed:
            return report.Value == ENOMEM ? shell_result::OutOfMemory : shell_result::NoAssociation;
        case TOpenerReport::Exited: return ShellResultForOpenerExit(report.Value);
        default: return shell_result::OutOfResources;
    }
}

}  // namespace

int ShellResultForOpenerExit(int status) {
    switch (status) {
        case 0: return shell_result::Started;
        case 2: return shell_result::FileNotFound;
        case 3:  // a required tool could not be found
        case 4: return shell_result::NoAssociation;  // the action failed: no application, no method
        case 5: return shell_result::AccessDenied;
        default: return shell_result::OutOfResources;
    }
}

int TXdgOpenShell::OpenDocument(const std::string& path, const std::string& workingFolder) {
    if (path.empty() || ::access(path.c_str(), F_OK) != 0) {
        return errno == ENOTDIR ? shell_result::PathNotFound : shell_result::FileNotFound;
    }
    if (::access(path.c_str(), R_OK) != 0) return shell_result::AccessDenied;
    const std::string opener = FindOnPath(FOpener);
    if (opener.empty()) return shell_result::NoAssociation;

    std::vector<char> openerArg(FOpener.begin(), FOpener.end());
    openerArg.push_back('\0');
    std::vector<char> pathArg(path.begin(), path.end());
    pathArg.push_back('\0');
    char* const argv[] = {openerArg.data(), pathArg.data(), nullptr};
    const std::string folder = IsFolder(workingFolder) ? workingFolder : "";

    TPipe report;
    if (!report.Valid()) return shell_result::OutOfResources;
    // Fork twice: the middle child exits at once and is reaped here, so the
    // watcher is adopted by init and no child of the engine is left behind.
    const pid_t middle = ::fork();
    if (middle < 0) return ResultForErrno(errno);
    if (middle == 0) {
        const pid_t watcher = ::fork();
        if (watcher == 0) WatchOpener(opener, argv, folder, report.WriteEnd());
        ::_exit(watcher < 0 ? 1 : 0);
    }
    report.CloseWrite();
    int status = 0;
    while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return shell_result::OutOfResources;
    const auto outcome = AwaitOutcome(report.ReadEnd(), FWait, FWhileWaiting);
    // Still running at the end of the wait: the opener runs the viewer itself.
    return outcome ? ResultForReport(*outcome) : shell_result::Started;
}

}  // namespace tal::front
