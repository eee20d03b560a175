#pragma once
// The mask of a picture with transparent parts: a 1-bit image with
// /ImageMask true that its image object names under /Mask, so that readers
// leave the page as it was where the picture paints nothing. Its rows are
// run-length encoded: masks are mostly long runs of one value.
#include <cstdint>
#include <vector>

#include "pdf/PdfImageCache.h"
#include "pdf/PdfObjects.h"

namespace tal {

class TRPPDFImageMask final : public TRPPDFObject {
public:
    // Bits: the mask's rows as RunLengthDecode data; a set bit leaves its
    // pixel unpainted.
    TRPPDFImageMask(TRpComponent& RenderPDF, std::int32_t Width, std::int32_t Height, TJpegBytes Bits);
    void WriteObject() override;

private:
    std::int32_t FWidth;
    std::int32_t FHeight;
    TJpegBytes FBits;
};

namespace pdf {

// The bytes as the RunLengthDecode filter reads them, its end-of-data mark
// included.
std::vector<std::uint8_t> RunLengthEncode(const std::vector<std::uint8_t>& bytes);

}  // namespace pdf

}  // namespace tal
