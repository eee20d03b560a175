#pragma once
// PNG streams for icon entries, written with libpng's simplified API.
#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <functional>

#include "tests/pictures/PictureBuilders.h"

namespace tal::pictest {

// argb(x, y) is 0xAARRGGBB.
inline TBytes PngBytes(int w, int h, const std::function<std::uint32_t(int, int)>& argb) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = w;
    image.height = h;
    image.format = PNG_FORMAT_RGBA;
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint32_t p = argb(x, y);
            pixels.insert(pixels.end(), {std::uint8_t(p >> 16), std::uint8_t(p >> 8), std::uint8_t(p), std::uint8_t(p >> 24)});
        }
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr);
    TBytes out(size);
    EXPECT_TRUE(png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, nullptr));
    out.resize(size);
    return out;
}

}  // namespace tal::pictest
