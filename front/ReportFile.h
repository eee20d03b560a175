#pragma once
// Reading a report file for a conversion. A file that cannot be read, a
// folder in its place, and an empty file are each reported by their own
// message naming the file, rather than as the stream error that reading the
// header of nothing would give.
#include <string>

#include "platform/Stream.h"

namespace tal::front {

// Loads the whole file into report; raises EFOpenError or EReadError with a
// message that names the file.
void LoadReport(TMemoryStream& report, const std::string& path);

}  // namespace tal::front
