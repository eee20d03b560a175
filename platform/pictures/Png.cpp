// PNG decoding through libpng's simplified reading interface, which keeps its
// error jumps inside the library.
#include <png.h>

#include <cstring>
#include <string>

#include "platform/pictures/Icon.h"

namespace tal::pictures {

namespace {

// Owns a png_image between begin_read and the end of decoding.
class TPngReader {
public:
    TPngReader() {
        std::memset(&FImage, 0, sizeof FImage);
        FImage.version = PNG_IMAGE_VERSION;
    }
    ~TPngReader() { png_image_free(&FImage); }
    TPngReader(const TPngReader&) = delete;
    TPngReader& operator=(const TPngReader&) = delete;
    png_image& Image() { return FImage; }

private:
    png_image FImage;
};

}  // namespace

bool LooksLikePng(const std::uint8_t* data, std::size_t size) {
    static constexpr std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    return size >= 8 && std::memcmp(data, signature, 8) == 0;
}

TRgbaImage DecodePng(const TByteView& data, std::int64_t maxPixels) {
    if (!LooksLikePng(data.Data(), data.Size())) data.Fail("PNG image without its signature");
    TPngReader reader;
    png_image& image = reader.Image();
    if (!png_image_begin_read_from_memory(&image, data.Data(), data.Size()))
        data.Fail(std::string("PNG image cannot be read (") + image.message + ")");
    // Refuse an absurd size before the pixels are allocated.
    CheckRasterSize(image.width, image.height, data.Kind());
    if (image.width == 0 || image.height == 0) data.Fail("PNG image of zero size");
    if (std::int64_t{image.width} * image.height > maxPixels)
        throw EOutOfResources(std::string(data.Kind()) + ": PNG image of " + std::to_string(image.width) + " x " +
                              std::to_string(image.height) + " pixels exceeds the limit");
    image.format = PNG_FORMAT_BGRA;  // in memory order, the 0xAARRGGBB words of TRgbaImage on little-endian
    TRgbaImage result(static_cast<int>(image.width), static_cast<int>(image.height));
    if (!png_image_finish_read(&image, nullptr, result.Row(0), static_cast<png_int_32>(image.width * 4), nullptr))
        data.Fail(std::string("PNG image cannot be decoded (") + image.message + ")");
    return result;
}

}  // namespace tal::pictures
