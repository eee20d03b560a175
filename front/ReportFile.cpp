#include "front/ReportFile.h"

#include <sys/stat.h>

#include "platform/Exception.h"

namespace tal::front {

void LoadReport(TMemoryStream& report, const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        throw EFOpenError("Cannot open file \"" + path + "\". It is a folder, not a report file.");
    report.LoadFromFile(path);  // its message names the file and the reason
    if (report.Size() == 0) throw EReadError("The report file \"" + path + "\" is empty.");
}

}  // namespace tal::front
