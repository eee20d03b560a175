#pragma once
// Folder and document paths of the engines. The Windows rules are those of
// the host application's platform; the POSIX rules are the Linux ones. The
// host platform selects which the engines use.
#include <string>

namespace tal::front {

enum class TPathStyle { Posix, Windows };

TPathStyle HostPathStyle();

// "/" or "\".
char PathSeparator(TPathStyle style);

// The folder part of a path, without a trailing separator except where the
// folder is a root (C:\ or /). Empty when the path names no folder. By the
// POSIX rules the folder is made absolute and plain ("case/../case/r.ndr"
// gives the current folder + "/case"), so that messages name it whole.
std::string DirectoryPart(const std::string& path, TPathStyle style);

// Folder + separator + name + extension, kept whole however long.
std::string DocumentPath(const std::string& folder, const std::string& name, const std::string& extension,
                         TPathStyle style);

// The absolute current folder, or "." when it cannot be read.
std::string CurrentFolder();

}  // namespace tal::front
