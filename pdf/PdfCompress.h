#pragma once
// A FlateDecode compressor for the renderer's OnCompress hook (zlib).
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "pdf/PdfByteArena.h"
#include "platform/Stream.h"

namespace tal {

// Deflates the rest of InStream into OutStream; the method stays "FlateDecode".
void FlateCompress(TStream& InStream, TStream& OutStream, std::string& CompressMethod);

// The bytes FlateCompress gives, from data in pieces, with one zlib stream
// reused from one call to the next (no buffers made and freed per call).
class TFlateEncoder {
public:
    TFlateEncoder();
    ~TFlateEncoder();
    TFlateEncoder(const TFlateEncoder&) = delete;
    TFlateEncoder& operator=(const TFlateEncoder&) = delete;

    // The largest input one call takes.
    static constexpr std::size_t MaxInput = std::size_t {1} << 30;
    // Deflates the bytes of Pieces (MaxInput at most) into Out, as a run
    // whose pieces go to Encoded.
    void Encode(std::span<const pdf::TByteSpan> Pieces, pdf::TByteArena& Out, std::vector<pdf::TByteSpan>& Encoded);

private:
    struct TState;
    std::unique_ptr<TState> FState;
};

}  // namespace tal
