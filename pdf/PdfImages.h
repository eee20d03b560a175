#pragma once
// Image objects: every picture a report draws becomes one JPEG image in the
// RGB colour space, named G1, G2, ... across the whole document.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "pdf/PdfObjects.h"
#include "platform/pictures/Raster.h"

namespace tal {

class TRPPDFXObject final : public TRPPDFObject {
public:
    explicit TRPPDFXObject(TRpComponent& RenderPDF);
    void WriteObject() override;

    // The picture: its pixels, or its JPEG bytes once encoded (the pixels
    // are then dropped), with its size in pixels and its quality.
    void SetRaster(TRaster Raster, std::int32_t Quality);
    void SetEncoded(std::int32_t Width, std::int32_t Height, std::vector<std::uint8_t> Jpeg);

    std::unique_ptr<TMemoryStream> FImageData;
    std::string FImageName;

private:
    TRaster FRaster;
    std::int32_t FWidth = 0;
    std::int32_t FHeight = 0;
    std::int32_t FQuality = 100;
    std::vector<std::uint8_t> FJpeg;
};

}  // namespace tal
