#pragma once
// Small reports that cost far more than their size: pictures that decode,
// draw or embed at sizes many thousand times their bytes. Regression tests
// and the hostile-report benchmark build them here, so that both measure
// the same files.
#include <cstdint>
#include <vector>

namespace tal::hostile {

using TBytes = std::vector<std::uint8_t>;

// A "BM" file of width x height 8-bit pixels whose run-length data is only
// its end mark: every pixel keeps index 0 (colour 0x00RRGGBB). 66 bytes.
TBytes RleBitmap(int width, int height, std::uint32_t color = 0x3366CC);
// The same picture as a packed DIB (header, colour table, pixels), as
// metafile records carry it.
TBytes RlePackedDib(int width, int height, std::uint32_t color = 0x3366CC);

// One page that draws one shared run-length bitmap of side x side pixels
// uses times, cycling through PrintBitmap, StretchBitmap and Draw.
TBytes SharedBitmapReport(int side, int uses);

// A Windows metafile that creates brushes DIB pattern brushes of side x side
// pixels, all kept alive, each filling the whole picture; the report draws it
// by StretchDraw into a box of boxInches square.
TBytes PatternBrushMetafile(int side, int brushes);
TBytes PatternBrushReport(int side, int brushes, float boxInches);

// A Windows metafile of blits over its whole frame: stretches StretchDIB
// records of a side x side run-length DIB and patBlts PatBlt records.
TBytes BlitMetafile(int side, int stretches, int patBlts);
TBytes BlitReport(int side, int stretches, int patBlts, float boxInches);

// StretchBitmap of a side x side run-length bitmap (inline, not shared)
// into a box of boxInches square, uses times.
TBytes BitmapInSmallBoxReport(int side, int uses, float boxInches);

// A line of a dashed pen (PS_DASH) from the page's top left corner to
// inches to its right: each dash is a segment of the RTF shape.
TBytes DashedLineReport(float inches);

}  // namespace tal::hostile
