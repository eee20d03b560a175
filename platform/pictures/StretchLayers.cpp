#include "platform/pictures/StretchLayers.h"

#include <algorithm>
#include <cmath>

#include "platform/pictures/Dib.h"
#include "platform/pictures/Metafile.h"
#include "platform/pictures/MetafileRecords.h"
#include "platform/pictures/MetafileWriter.h"

namespace tal::pictures {

namespace {

constexpr std::int64_t MaxLayerPixels = 16'000'000;
// Well inside the 16-bit coordinates of a Windows metafile, and inside what
// readers and rasterisers take for one bitmap side.
constexpr int MaxLayerSide = 16384;

std::vector<std::uint8_t> InfoHeader(int width, int height, int bitCount, std::uint32_t imageSize,
                                     const std::vector<std::uint32_t>& palette) {
    TRecordData info;
    info.U32(BitmapInfoHeaderSize).I32(width).I32(height).U16(1).U16(static_cast<std::uint16_t>(bitCount));
    info.U32(BI_RGB).U32(imageSize).I32(3780).I32(3780);  // 96 ppi in pixels per metre
    info.U32(static_cast<std::uint32_t>(palette.size())).U32(0);
    for (const std::uint32_t rgb : palette) info.U32(rgb);  // RGBQUAD: blue, green, red, 0
    return std::move(info.Data());
}

// A 24-bit bottom-up DIB; pixel(x, y) gives 0x00RRGGBB.
template <typename Pixel>
TDibLayer ColorLayer(int width, int height, std::uint32_t rop, Pixel pixel) {
    TDibLayer layer;
    layer.Width = width;
    layer.Height = height;
    layer.RasterOperation = rop;
    const std::size_t stride = ((static_cast<std::size_t>(width) * 24 + 31) / 32) * 4;
    layer.Bits.assign(stride * static_cast<std::size_t>(height), 0);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = layer.Bits.data() + static_cast<std::size_t>(height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t rgb = pixel(x, y);
            row[3 * x] = static_cast<std::uint8_t>(rgb);
            row[3 * x + 1] = static_cast<std::uint8_t>(rgb >> 8);
            row[3 * x + 2] = static_cast<std::uint8_t>(rgb >> 16);
        }
    }
    layer.Info = InfoHeader(width, height, 24, static_cast<std::uint32_t>(layer.Bits.size()), {});
    return layer;
}

// The size a picture is recorded at: its own, or sampled down so that it
// stays within 16-bit metafile coordinates and a sensible number of pixels.
struct TSampling {
    int Width, Height;    // recorded
    int SourceWidth, SourceHeight;
    int X(int x) const { return static_cast<int>(static_cast<std::int64_t>(x) * SourceWidth / Width); }
    int Y(int y) const { return static_cast<int>(static_cast<std::int64_t>(y) * SourceHeight / Height); }
};

TSampling Sampling(int width, int height, const TBitmapLimit& limit) {
    int w = 0, h = 0;
    RasterSize(width, height, 1.0, w, h);
    w = std::min({w, width, std::max(1, limit.Width)});
    h = std::min({h, height, std::max(1, limit.Height)});
    return {w, h, width, height};
}

TDibLayer RasterLayer(const TRaster& raster, const TBitmapLimit& limit = {}) {
    const TSampling s = Sampling(raster.Width(), raster.Height(), limit);
    return ColorLayer(s.Width, s.Height, SRCCOPY, [&raster, &s](int x, int y) {
        const std::uint8_t* p = raster.Row(s.Y(y)) + 3 * static_cast<std::size_t>(s.X(x));
        return (static_cast<std::uint32_t>(p[0]) << 16) | (static_cast<std::uint32_t>(p[1]) << 8) | p[2];
    });
}

bool Transparent(std::uint32_t argb) { return (argb >> 24) < 128; }

// The AND mask of an icon image: white (1) where the page shows through.
TDibLayer MaskLayer(const TRgbaImage& image, const TSampling& s) {
    TDibLayer layer;
    layer.Width = s.Width;
    layer.Height = s.Height;
    layer.RasterOperation = SRCAND;
    const std::size_t stride = ((static_cast<std::size_t>(layer.Width) + 31) / 32) * 4;
    layer.Bits.assign(stride * static_cast<std::size_t>(layer.Height), 0);
    for (int y = 0; y < layer.Height; ++y) {
        std::uint8_t* row = layer.Bits.data() + static_cast<std::size_t>(layer.Height - 1 - y) * stride;
        for (int x = 0; x < layer.Width; ++x)
            if (Transparent(image.Pixel(s.X(x), s.Y(y)))) row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    }
    layer.Info = InfoHeader(layer.Width, layer.Height, 1, static_cast<std::uint32_t>(layer.Bits.size()),
                            {0x000000, 0xFFFFFF});
    return layer;
}

}  // namespace

std::vector<TDibLayer> DibLayers(const TGraphic& graphic, int rasterWidth, int rasterHeight, TBitmapLimit limit) {
    std::vector<TDibLayer> layers;
    if (graphic.Empty()) return layers;
    switch (graphic.Kind()) {
        case TGraphicKind::Bitmap: {
            layers.push_back(RasterLayer(static_cast<const TBitmap&>(graphic).Pixels(), limit));
            break;
        }
        case TGraphicKind::Icon: {
            const TIconImage* chosen = static_cast<const TIcon&>(graphic).Chosen();
            if (!chosen || chosen->Image.Width() == 0 || chosen->Image.Height() == 0) break;
            const TRgbaImage& image = chosen->Image;
            const TSampling s = Sampling(image.Width(), image.Height(), limit);
            layers.push_back(MaskLayer(image, s));
            layers.push_back(ColorLayer(s.Width, s.Height, SRCINVERT, [&image, &s](int x, int y) {
                const std::uint32_t argb = image.Pixel(s.X(x), s.Y(y));
                return Transparent(argb) ? 0u : (argb & 0xFFFFFF);
            }));
            break;
        }
        case TGraphicKind::Metafile:
            if (rasterWidth <= 0 || rasterHeight <= 0) break;
            layers.push_back(RasterLayer(DrawToRaster(graphic, rasterWidth, rasterHeight)));
            break;
    }
    return layers;
}

void RasterSize(int width, int height, double scale, int& rasterWidth, int& rasterHeight) {
    double w = std::max(0.0, width * scale), h = std::max(0.0, height * scale);
    double reduce = 1.0;
    if (w * h > static_cast<double>(MaxLayerPixels)) reduce = std::sqrt(static_cast<double>(MaxLayerPixels) / (w * h));
    reduce = std::min({reduce, w > MaxLayerSide ? MaxLayerSide / w : 1.0,
                       h > MaxLayerSide ? MaxLayerSide / h : 1.0});
    rasterWidth = static_cast<int>(std::min<double>(MaxLayerSide, std::nearbyint(w * reduce)));
    rasterHeight = static_cast<int>(std::min<double>(MaxLayerSide, std::nearbyint(h * reduce)));
    if (width > 0 && rasterWidth == 0) rasterWidth = 1;
    if (height > 0 && rasterHeight == 0) rasterHeight = 1;
}

std::int64_t ReferencePixelsToHiMetric(std::int64_t pixels) {
    return static_cast<std::int64_t>(std::nearbyint(static_cast<double>(pixels) * 2540.0 / ReferencePixelsPerInch));
}

}  // namespace tal::pictures
