#pragma once
// Pixel stores of the picture layer. TRaster is the 24-bit RGB raster that
// pictures are drawn into and that JPEG encoding reads row by row; a new raster
// is white. TRgbaImage holds a decoded picture with straight (not
// premultiplied) alpha, as icons need it.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tal {

// Rasters and decoded images are capped so that a header claiming an absurd
// size is refused before anything is allocated.
inline constexpr std::int64_t MaxRasterPixels = 100'000'000;

// Raises EOutOfResources when width x height exceeds MaxRasterPixels and
// EInvalidGraphic (naming kind) when either is negative.
void CheckRasterSize(std::int64_t width, std::int64_t height, const char* kind);

// An integer rectangle in pixels: left and top inside, right and bottom outside.
struct TPixelRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
};

class TRaster {
public:
    TRaster() = default;
    // A white raster; width and height are checked against the cap.
    TRaster(int width, int height);

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    bool Empty() const { return FWidth == 0 || FHeight == 0; }
    std::size_t RowBytes() const { return static_cast<std::size_t>(FWidth) * 3; }

    // Row y, top row first: width x (R, G, B).
    const std::uint8_t* Row(int y) const { return FPixels.data() + static_cast<std::size_t>(y) * RowBytes(); }
    std::uint8_t* Row(int y) { return FPixels.data() + static_cast<std::size_t>(y) * RowBytes(); }
    const std::vector<std::uint8_t>& Bytes() const { return FPixels; }

    // 0x00BBGGRR, the platform's colour value.
    std::uint32_t Pixel(int x, int y) const;
    void SetPixel(int x, int y, std::uint32_t colorRef);
    void Fill(std::uint32_t colorRef);

private:
    int FWidth = 0;
    int FHeight = 0;
    std::vector<std::uint8_t> FPixels;
};

class TRgbaImage {
public:
    TRgbaImage() = default;
    // A fully transparent image; checked against the cap.
    TRgbaImage(int width, int height);

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    // 0xAARRGGBB, straight alpha, top row first.
    std::uint32_t* Row(int y) { return FPixels.data() + static_cast<std::size_t>(y) * FWidth; }
    const std::uint32_t* Row(int y) const { return FPixels.data() + static_cast<std::size_t>(y) * FWidth; }
    std::uint32_t Pixel(int x, int y) const { return Row(y)[x]; }

private:
    int FWidth = 0;
    int FHeight = 0;
    std::vector<std::uint32_t> FPixels;
};

}  // namespace tal
