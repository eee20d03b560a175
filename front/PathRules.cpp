#include "front/PathRules.h"

#include <filesystem>
#include <system_error>

namespace tal::front {

TPathStyle HostPathStyle() {
#ifdef _WIN32
    return TPathStyle::Windows;
#else
    return TPathStyle::Posix;
#endif
}

char PathSeparator(TPathStyle style) { return style == TPathStyle::Windows ? '\\' : '/'; }

namespace {

// Scans from the end for "\", ":" or NUL. A drive root keeps its backslash,
// a drive-relative path (C:report.ndr) keeps its colon.
std::string WindowsDirectoryPart(const std::string& path) {
    const auto at = path.find_last_of(std::string("\\:\0", 3));
    if (at == std::string::npos) return {};
    if (at == 0) return path.substr(0, 1);
    if (path[at] == '\\' && path[at - 1] != ':') return path.substr(0, at);
    return path.substr(0, at + 1);
}

std::string PosixDirectoryPart(const std::string& path) {
    const auto at = path.rfind('/');
    if (at == std::string::npos) return {};
    if (at == 0) return "/";
    return path.substr(0, at);
}

}  // namespace

std::string DirectoryPart(const std::string& path, TPathStyle style) {
    return style == TPathStyle::Windows ? WindowsDirectoryPart(path) : PosixDirectoryPart(path);
}

std::string DocumentPath(const std::string& folder, const std::string& name, const std::string& extension,
                         TPathStyle style) {
    return folder + PathSeparator(style) + name + extension;
}

std::string CurrentFolder() {
    std::error_code error;
    auto folder = std::filesystem::current_path(error);
    if (error) return ".";
    return folder.string();
}

}  // namespace tal::front
