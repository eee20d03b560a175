#include "platform/pictures/Raster.h"

#include <algorithm>
#include <string>

#include "platform/Exception.h"

namespace tal {

void CheckRasterSize(std::int64_t width, std::int64_t height, const char* kind) {
    if (width < 0 || height < 0)
        throw EInvalidGraphic(std::string(kind) + ": negative size " + std::to_string(width) + " x " +
                              std::to_string(height));
    // Divide rather than multiply so that two huge factors cannot overflow.
    if (width != 0 && height > MaxRasterPixels / width)
        throw EOutOfResources(std::string(kind) + ": " + std::to_string(width) + " x " + std::to_string(height) +
                              " pixels is more than the limit of " + std::to_string(MaxRasterPixels) + " pixels");
}

TRaster::TRaster(int width, int height) {
    CheckRasterSize(width, height, "Raster");
    FWidth = width;
    FHeight = height;
    FPixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3, 0xFF);
}

std::uint32_t TRaster::Pixel(int x, int y) const {
    const std::uint8_t* p = Row(y) + static_cast<std::size_t>(x) * 3;
    return p[0] | (p[1] << 8) | (static_cast<std::uint32_t>(p[2]) << 16);
}

void TRaster::SetPixel(int x, int y, std::uint32_t colorRef) {
    std::uint8_t* p = Row(y) + static_cast<std::size_t>(x) * 3;
    p[0] = colorRef & 0xFF;
    p[1] = (colorRef >> 8) & 0xFF;
    p[2] = (colorRef >> 16) & 0xFF;
}

void TRaster::Fill(std::uint32_t colorRef) {
    for (int y = 0; y < FHeight; ++y)
        for (int x = 0; x < FWidth; ++x) SetPixel(x, y, colorRef);
}

TRgbaImage::TRgbaImage(int width, int height) {
    CheckRasterSize(width, height, "Image");
    FWidth = width;
    FHeight = height;
    FPixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
}

}  // namespace tal
