#include "platform/ReplacingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <random>

namespace tal {

namespace {

namespace fs = std::filesystem;

std::string CreateError(const std::string& target, int error) {
    return "Cannot create file \"" + target + "\". " + std::strerror(error);
}

// The file a write to target reaches: links are followed to their
// destination, so that the link itself stays as the user made it.
std::string Destination(std::string target) {
    for (int depth = 0; depth < 40; ++depth) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(target, error))) return target;
        const fs::path link = fs::read_symlink(target, error);
        if (error) return target;
        target = link.is_absolute() ? link.string() : (fs::path(target).parent_path() / link).string();
    }
    return target;
}

std::string FolderOf(const std::string& path) {
    const fs::path folder = fs::path(path).parent_path();
    return folder.empty() ? std::string(".") : folder.string();
}

// ".NAME.XXXXXX" beside the target. A long name is shortened, so that the
// new file's name stays within the system's limit whenever the target's does.

constexpr char TemporaryLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::size_t SuffixLength = 6;

// The hidden name's start, ".NAME.", beside the target.
std::string TemporaryPrefix(const std::string& target) {
    std::string name = fs::path(target).filename().string();
    if (name.size() > 200) name.resize(200);
    return "." + name + ".";
}

bool IsTemporaryOf(const std::string& name, const std::string& prefix) {
    if (name.size() != prefix.size() + SuffixLength || name.compare(0, prefix.size(), prefix) != 0) return false;
    return name.find_first_not_of(TemporaryLetters, prefix.size()) == std::string::npos;
}

// Removes the new files of earlier conversions to the same target that a
// killed process left behind: only regular files of this user named exactly
// as a new file of this target is, untouched for StaleAfter, so that a
// conversion still running beside this one keeps its file.
void RemoveStaleTemporaries(const std::string& target, const std::string& own) {
    const std::string prefix = TemporaryPrefix(target);
    const auto now = std::chrono::system_clock::now();
    // A folder that cannot be read, or an entry that goes away, is left as it is.
    std::error_code error;
    for (fs::directory_iterator it(FolderOf(target), error); !error && it != fs::directory_iterator();
         it.increment(error)) {
        const fs::path& path = it->path();
        if (!IsTemporaryOf(path.filename().string(), prefix) || path.string() == own) continue;
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) continue;
        if (now - std::chrono::system_clock::from_time_t(info.st_mtime) > TReplacingFile::StaleAfter)
            ::unlink(path.c_str());
    }
}

std::string TemporaryCandidate(const std::string& target, std::mt19937& random) {
    std::string suffix(SuffixLength, ' ');
    std::uniform_int_distribution<std::size_t> pick(0, sizeof TemporaryLetters - 2);
    for (char& c : suffix) c = TemporaryLetters[pick(random)];
    return (fs::path(FolderOf(target)) / (TemporaryPrefix(target) + suffix)).string();
}

// Makes a rename in folder last across a power failure; a folder that
// cannot be opened or synchronised changes nothing for the document itself.
void SyncFolder(const std::string& folder) {
    const int handle = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle < 0) return;
    (void)::fsync(handle);
    ::close(handle);
}

}  // namespace

TReplacingFile::TReplacingFile(const std::string& target) : FTarget(Destination(target)) {
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = TemporaryCandidate(FTarget, random);
        const int handle = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (handle >= 0) {
            FTemporary = std::move(candidate);
            FFile = std::make_unique<TFileStream>(target, handle);
            RemoveStaleTemporaries(FTarget, FTemporary);
            return;
        }
        if (errno != EEXIST) throw EFCreateError(CreateError(target, errno));
    }
    throw EFCreateError(CreateError(target, EEXIST));
}

TReplacingFile::~TReplacingFile() {
    FFile.reset();
    if (!FTemporary.empty()) ::unlink(FTemporary.c_str());
}

void TReplacingFile::Commit() {
    FFile->Sync();
    // Replacing a document keeps its permissions, as writing over it would.
    struct stat existing {};
    if (::stat(FTarget.c_str(), &existing) == 0 && S_ISREG(existing.st_mode))
        (void)::fchmod(FFile->Handle(), existing.st_mode & 07777);
    FFile->Close();
    if (::rename(FTemporary.c_str(), FTarget.c_str()) != 0) throw EFCreateError(CreateError(FFile->FileName(), errno));
    FTemporary.clear();
    SyncFolder(FolderOf(FTarget));
}

bool TReplacingFile::KeepAs(const std::string& name) noexcept {
    try {
        FFile->Close();
    } catch (...) {
        return false;
    }
    if (FTemporary.empty() || ::rename(FTemporary.c_str(), name.c_str()) != 0) return false;
    FTemporary.clear();
    return true;
}

std::string IncompleteName(const std::string& target) {
    const fs::path path(target);
    return (path.parent_path() / (path.stem().string() + ".incomplete" + path.extension().string())).string();
}

}  // namespace tal
