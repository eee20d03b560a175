#include "front/Shell.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
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

// In the grandchild: become a session of its own, move to the working
// folder, and run the opener. Only async-signal-safe calls from here on.
[[noreturn]] void ExecOpener(const std::string& opener, char* const argv[], const std::string& folder, int report) {
    ::setsid();
    if (!folder.empty()) (void)!::chdir(folder.c_str());
    const int devnull = ::open("/dev/null", O_RDWR);
    if (devnull >= 0) {
        ::dup2(devnull, STDIN_FILENO);
        ::dup2(devnull, STDOUT_FILENO);
        ::dup2(devnull, STDERR_FILENO);
    }
    ::execv(opener.c_str(), argv);
    const int error = errno;
    (void)!::write(report, &error, sizeof error);
    ::_exit(127);
}

}  // namespace

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
    // opener is adopted by init and never waited for by the dialog.
    const pid_t middle = ::fork();
    if (middle < 0) return ResultForErrno(errno);
    if (middle == 0) {
        const pid_t opener_pid = ::fork();
        if (opener_pid == 0) ExecOpener(opener, argv, folder, report.WriteEnd());
        ::_exit(opener_pid < 0 ? 1 : 0);
    }
    report.CloseWrite();
    int status = 0;
    while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return shell_result::OutOfResources;
    // The pipe closes on a successful exec; an error number arrives otherwise.
    int error = 0;
    ssize_t n;
    while ((n = ::read(report.ReadEnd(), &error, sizeof error)) < 0 && errno == EINTR) {
    }
    // The opener exists but could not be started: as if nothing were
    // associated with the document.
    if (n == static_cast<ssize_t>(sizeof error))
        return error == ENOMEM ? shell_result::OutOfMemory : shell_result::NoAssociation;
    return shell_result::Started;
}

}  // namespace tal::front
