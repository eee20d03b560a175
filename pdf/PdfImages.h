#pragma once
// Image objects: every picture a report draws becomes one JPEG image in the
// RGB colour space, named G1, G2, ... across the whole document.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "pdf/PdfImageCache.h"
#include "pdf/PdfImageMask.h"
#include "pdf/PdfObjects.h"

namespace tal {

class TRPPDFXObject final : public TRPPDFObject {
public:
    explicit TRPPDFXObject(TRpComponent& RenderPDF);
    void WriteObject() override;

    // The picture as JPEG bytes (encoded when it was drawn; several objects
    // may share them) with its size in pixels, and its mask if it has one.
    void SetEncoded(std::int32_t Width, std::int32_t Height, TEncodedPicture Encoded);
    // The mask object, written right after the image; none for an opaque picture.
    TRPPDFImageMask* Mask() const { return FMask.get(); }

    std::unique_ptr<TMemoryStream> FImageData;
    std::string FImageName;

private:
    std::int32_t FWidth = 0;
    std::int32_t FHeight = 0;
    TJpegBytes FJpeg;
    std::unique_ptr<TRPPDFImageMask> FMask;
};

}  // namespace tal
