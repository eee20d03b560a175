#include "pdf/PdfCompress.h"

#include <zlib.h>

#include <vector>

namespace tal {

void FlateCompress(TStream& InStream, TStream& OutStream, std::string& CompressMethod) {
    std::vector<std::uint8_t> input(static_cast<std::size_t>(InStream.Remaining()));
    if (!input.empty()) InStream.ReadBuffer(input.data(), input.size());
    uLongf size = compressBound(static_cast<uLong>(input.size()));
    std::vector<std::uint8_t> output(size);
    if (compress2(output.data(), &size, input.data(), static_cast<uLong>(input.size()), Z_DEFAULT_COMPRESSION) != Z_OK)
        throw EWriteError("Stream compression failed");
    OutStream.Write(output.data(), size);
    CompressMethod = "FlateDecode";
}

}  // namespace tal
