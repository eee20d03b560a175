#pragma once
// The bitmap a metafile blit reads, decoded at no more pixels than it is
// drawn with. A blit may stretch a bitmap of a hundred million pixels into a
// box of a few thousand: only the part of the bitmap it reads is kept, and
// blocks of its pixels that fall on one destination pixel are averaged into
// one while the rows are decoded, so that neither the decoded bitmap nor the
// reduction of it costs more memory than the destination can show.
#include <cstdint>

#include "platform/pictures/ByteView.h"
#include "platform/pictures/Cairo.h"
#include "platform/pictures/Dib.h"

namespace tal::pictures {

// A source rectangle in bitmap pixels, rows counted from the top; negative
// sizes mirror.
struct TSourceRect {
    double X = 0, Y = 0, Width = 0, Height = 0;
};

struct TBlitSource {
    // Pixels of the decoded surface the blit reads, before any reduction;
    // larger sources are reduced further, whatever the destination.
    static constexpr std::int64_t MaxPixels = 16'000'000;

    TCairoSurface Pixels;  // opaque RGB24
    // The surface's pixel (0, 0) is the bitmap's pixel (Left, Top); each of
    // its pixels stands for StepX x StepY of the bitmap's.
    int Left = 0, Top = 0, StepX = 1, StepY = 1;

    // The rectangle of bitmap pixels as surface pixels.
    TSourceRect OnSurface(const TSourceRect& source) const;
};

// Decodes what source reads of the bitmap, for a destination of
// deviceWidth x deviceHeight pixels (the blit's box on the drawing surface).
TBlitSource DecodeBlitSource(const TDibInfo& info, const TByteView& bits, const TSourceRect& source,
                             double deviceWidth, double deviceHeight);

}  // namespace tal::pictures
