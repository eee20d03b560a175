#pragma once
// Room for the bytes of every page's contents: large blocks of memory taken
// from the system as they fill (huge pages where the system gives them), so
// that appending is a bounds check and a copy, and the bytes stay where they
// were written until the document is out. The bytes appended between
// BeginRun and the next run's start make up a run, kept as the list of its
// pieces (a run that reaches the end of a block goes on in the next one).
#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace tal::pdf {

struct TByteSpan {
    const char* Data;
    std::size_t Size;
};

class TByteArena {
public:
    TByteArena();
    ~TByteArena();
    TByteArena(const TByteArena&) = delete;
    TByteArena& operator=(const TByteArena&) = delete;

    // Ends the run being written (its last piece joins its list) and starts
    // one whose pieces go to Spans.
    void BeginRun(std::vector<TByteSpan>& Spans);
    // Ends the run being written, if any.
    void EndRun();
    bool IsRunOf(const std::vector<TByteSpan>& Spans) const { return FRunSpans == &Spans; }

    void Append(const char* Data, std::size_t Size) {
        if (Size == 0) return;
        if (Size > static_cast<std::size_t>(FLimit - FCursor)) NextBlock(Size);
        std::memcpy(FCursor, Data, Size);
        FCursor += Size;
    }
    void Append(std::string_view Text) { Append(Text.data(), Text.size()); }
    // Room for Size bytes at the end of the run; Advance then takes what was
    // written there.
    char* Room(std::size_t Size) {
        if (Size > static_cast<std::size_t>(FLimit - FCursor)) NextBlock(Size);
        return FCursor;
    }
    void Advance(char* End) { FCursor = End; }

    // Forgets every byte written (no run may be in progress), keeping the
    // newest block to write into again: the pieces of earlier runs are no
    // longer valid.
    void Rewind();
    // Gives every block back (no run may be in progress).
    void Release();
    // The bytes the blocks hold room for.
    std::size_t Capacity() const;

private:
    class TBlock;
    // Closes the run's piece in the current block and moves on to a block
    // with room for at least Size bytes.
    void NextBlock(std::size_t Size);
    void ClosePiece();

    std::vector<std::unique_ptr<TBlock>> FBlocks;
    char* FCursor = nullptr;
    char* FLimit = nullptr;
    char* FRunStart = nullptr;
    std::vector<TByteSpan>* FRunSpans = nullptr;
};

}  // namespace tal::pdf
