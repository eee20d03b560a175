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

// A folder as the user would name it: absolute, without "." parts or
// doubled separators. ".." is resolved by the file system, since a ".."
// after a symbolic link leads where the link's target has its parent.
std::string PlainFolder(const std::string& folder) {
    std::error_code error;
    std::filesystem::path whole = std::filesystem::absolute(folder, error);
    if (error) return folder;
    bool climbs = false;
    for (const auto& part : whole) climbs = climbs || part == "..";
    std::filesystem::path plain = climbs ? std::filesystem::weakly_canonical(whole, error) : whole.lexically_normal();
    if (error) plain = whole.lexically_normal();
    std::string text = plain.string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return text;
}

std::string PosixDirectoryPart(const std::string& path) {
    const auto at = path.rfind('/');
    if (at == std::string::npos) return {};
    if (at == 0) return "/";
    return PlainFolder(path.substr(0, at));
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
