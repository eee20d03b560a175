#pragma once
// A FlateDecode compressor for the renderer's OnCompress hook (zlib).
#include <string>

#include "platform/Stream.h"

namespace tal {

// Deflates the rest of InStream into OutStream; the method stays "FlateDecode".
void FlateCompress(TStream& InStream, TStream& OutStream, std::string& CompressMethod);

}  // namespace tal
