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

// compress2's stream: the default level, window and memory use.
struct TFlateEncoder::TState {
    z_stream Stream {};
};

TFlateEncoder::TFlateEncoder() : FState(std::make_unique<TState>()) {
    if (deflateInit(&FState->Stream, Z_DEFAULT_COMPRESSION) != Z_OK) throw EWriteError("Stream compression failed");
}

TFlateEncoder::~TFlateEncoder() { deflateEnd(&FState->Stream); }

void TFlateEncoder::Encode(std::span<const pdf::TByteSpan> Pieces, pdf::TByteArena& Out,
                           std::vector<pdf::TByteSpan>& Encoded) {
    std::size_t total = 0;
    for (const pdf::TByteSpan& piece : Pieces) total += piece.Size;
    if (total > MaxInput) throw EWriteError("Stream compression failed");
    z_stream& z = FState->Stream;
    if (deflateReset(&z) != Z_OK) throw EWriteError("Stream compression failed");
    // Room for the worst case: deflate then never runs out of output.
    const uLong bound = deflateBound(&z, static_cast<uLong>(total));
    Out.BeginRun(Encoded);
    char* room = Out.Room(bound);
    z.next_out = reinterpret_cast<Bytef*>(room);
    z.avail_out = static_cast<uInt>(bound);
    int status = Z_OK;
    for (std::size_t i = 0; i < Pieces.size(); ++i) {
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(Pieces[i].Data));
        z.avail_in = static_cast<uInt>(Pieces[i].Size);
        status = deflate(&z, i + 1 == Pieces.size() ? Z_FINISH : Z_NO_FLUSH);
        if (status == Z_STREAM_ERROR || z.avail_in != 0) break;
    }
    if (Pieces.empty()) status = deflate(&z, Z_FINISH);
    if (status != Z_STREAM_END) {
        Out.Advance(room);
        Out.EndRun();
        throw EWriteError("Stream compression failed");
    }
    Out.Advance(reinterpret_cast<char*>(z.next_out));
    Out.EndRun();
}

}  // namespace tal
