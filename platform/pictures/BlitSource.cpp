#include "platform/pictures/BlitSource.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tal::pictures {

namespace {

struct TSpan {
    int Begin = 0, End = 1;
    int Size() const { return End - Begin; }
};

// The pixels of one axis a source reads, with one more on each side for the
// filter; a source wholly past the bitmap reads its nearest edge pixel.
TSpan ReadSpan(double at, double length, int size) {
    const double low = std::floor(std::min(at, at + length)) - 1;
    const double high = std::ceil(std::max(at, at + length)) + 1;
    const double begin = std::clamp(low, 0.0, static_cast<double>(size - 1));
    const double end = std::clamp(high, begin + 1, static_cast<double>(size));
    return {static_cast<int>(begin), static_cast<int>(end)};
}

// Source pixels per destination pixel, whole, so that the reduced source
// still has at least the destination's resolution.
int Step(double length, double device, int span) {
    if (!(device > 1)) device = 1;
    const double step = std::floor(std::fabs(length) / device);
    return static_cast<int>(std::clamp(step, 1.0, static_cast<double>(span)));
}

std::int64_t Blocks(int span, int step) { return (static_cast<std::int64_t>(span) + step - 1) / step; }

// Coarser steps until the surface holds at most MaxPixels.
void Cap(const TSpan& x, const TSpan& y, int& stepX, int& stepY) {
    for (;;) {
        const double pixels = static_cast<double>(Blocks(x.Size(), stepX)) * Blocks(y.Size(), stepY);
        if (pixels <= static_cast<double>(TBlitSource::MaxPixels)) return;
        const double factor = std::sqrt(pixels / static_cast<double>(TBlitSource::MaxPixels));
        stepX = static_cast<int>(std::min<double>(x.Size(), std::max(stepX + 1.0, std::ceil(stepX * factor))));
        stepY = static_cast<int>(std::min<double>(y.Size(), std::max(stepY + 1.0, std::ceil(stepY * factor))));
    }
}

// Averages blocks of decoded rows into the surface's rows as they arrive;
// rows come once each, in order (up or down), so a block is whole when a row
// of the next one arrives.
class TBlockAverager {
public:
    TBlockAverager(const TBlitSource& source, const TSpan& x, const TSpan& y)
        : FSource(source), FX(x), FY(y), FSums(static_cast<std::size_t>(Blocks(x.Size(), source.StepX))) {
        cairo_surface_flush(source.Pixels.get());
        FData = cairo_image_surface_get_data(source.Pixels.get());
        FStride = cairo_image_surface_get_stride(source.Pixels.get());
    }

    void Row(int y, const std::uint32_t* row) {
        if (y < FY.Begin || y >= FY.End) return;
        const int block = (y - FY.Begin) / FSource.StepY;
        if (block != FBlock) {
            Flush();
            FBlock = block;
        }
        const std::uint32_t* in = row + FX.Begin;
        for (std::size_t b = 0; b < FSums.size(); ++b) {
            const int from = static_cast<int>(b) * FSource.StepX, to = std::min(from + FSource.StepX, FX.Size());
            TSum& sum = FSums[b];
            for (int i = from; i < to; ++i) {
                sum.Red += (in[i] >> 16) & 0xFF;
                sum.Green += (in[i] >> 8) & 0xFF;
                sum.Blue += in[i] & 0xFF;
            }
        }
        ++FRows;
    }

    void Flush() {
        if (FBlock < 0 || FRows == 0) return;
        auto* out = reinterpret_cast<std::uint32_t*>(FData + static_cast<std::ptrdiff_t>(FBlock) * FStride);
        for (std::size_t b = 0; b < FSums.size(); ++b) {
            const int from = static_cast<int>(b) * FSource.StepX, to = std::min(from + FSource.StepX, FX.Size());
            const std::uint64_t count = static_cast<std::uint64_t>(to - from) * FRows;
            TSum& sum = FSums[b];
            out[b] = 0xFF000000u | static_cast<std::uint32_t>((sum.Red / count) << 16) |
                     static_cast<std::uint32_t>((sum.Green / count) << 8) | static_cast<std::uint32_t>(sum.Blue / count);
            sum = {};
        }
        FRows = 0;
        cairo_surface_mark_dirty(FSource.Pixels.get());
    }

private:
    struct TSum {
        std::uint64_t Red = 0, Green = 0, Blue = 0;
    };
    const TBlitSource& FSource;
    TSpan FX, FY;
    std::vector<TSum> FSums;
    unsigned char* FData = nullptr;
    int FStride = 0;
    int FBlock = -1;
    std::uint64_t FRows = 0;
};

}  // namespace

TSourceRect TBlitSource::OnSurface(const TSourceRect& source) const {
    return {(source.X - Left) / StepX, (source.Y - Top) / StepY, source.Width / StepX, source.Height / StepY};
}

TBlitSource DecodeBlitSource(const TDibInfo& info, const TByteView& bits, const TSourceRect& source,
                             double deviceWidth, double deviceHeight) {
    if (info.Compression != BI_RLE8 && info.Compression != BI_RLE4) {
        // Refused before the surface is allocated.
        const std::size_t needed = info.Stride() * (static_cast<std::size_t>(info.Height) - 1) +
                                   (static_cast<std::size_t>(info.Width) * info.BitCount + 7) / 8;
        if (bits.Size() < needed) bits.Fail("pixel data truncated");
    }
    const TSpan x = ReadSpan(source.X, source.Width, info.Width);
    const TSpan y = ReadSpan(source.Y, source.Height, info.Height);
    TBlitSource blit;
    blit.Left = x.Begin;
    blit.Top = y.Begin;
    blit.StepX = Step(source.Width, deviceWidth, x.Size());
    blit.StepY = Step(source.Height, deviceHeight, y.Size());
    Cap(x, y, blit.StepX, blit.StepY);
    blit.Pixels = NewSurface(CAIRO_FORMAT_RGB24, static_cast<int>(Blocks(x.Size(), blit.StepX)),
                             static_cast<int>(Blocks(y.Size(), blit.StepY)));
    TBlockAverager averager(blit, x, y);
    DecodeDibPixels(info, bits, [&averager](int row, const std::uint32_t* pixels) { averager.Row(row, pixels); });
    averager.Flush();
    return blit;
}

}  // namespace tal::pictures
