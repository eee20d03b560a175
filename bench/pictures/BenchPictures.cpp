#include "bench/pictures/BenchPictures.h"

#include <cmath>

namespace tal::bench {

namespace {

void U16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void U32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    U16(out, v & 0xFFFF);
    U16(out, v >> 16);
}

std::uint8_t Clamp(double v) { return static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); }

}  // namespace

std::vector<std::uint8_t> BenchBitmap(int seed) {
    const int w = BitmapWidth, h = BitmapHeight, stride = (w * 3 + 3) & ~3;
    const std::uint32_t imageSize = static_cast<std::uint32_t>(stride) * h;
    std::vector<std::uint8_t> out;
    out.reserve(54 + imageSize);
    out.push_back('B');
    out.push_back('M');
    U32(out, 54 + imageSize);
    U32(out, 0);
    U32(out, 54);
    for (std::uint32_t v : {40u, static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h)}) U32(out, v);
    U16(out, 1);
    U16(out, 24);
    for (std::uint32_t v : {0u, imageSize, 2835u, 2835u, 0u, 0u}) U32(out, v);
    std::uint32_t random = 2463534242u + static_cast<std::uint32_t>(seed) * 7919u;
    const double fx = 0.01 + (seed % 7) * 0.004, fy = 0.013 + (seed % 5) * 0.003;
    const double cx = 200 + (seed * 37) % 600, cy = 150 + (seed * 53) % 500, r = 80 + (seed * 11) % 160;
    for (int row = 0; row < h; ++row) {
        const int y = h - 1 - row;  // rows are stored bottom-up
        for (int x = 0; x < w; ++x) {
            random ^= random << 13;
            random ^= random >> 17;
            random ^= random << 5;
            const double noise = static_cast<double>(random & 31) - 16;
            const double wave = 60 * std::sin(x * fx + seed) * std::cos(y * fy);
            const bool disc = (x - cx) * (x - cx) + (y - cy) * (y - cy) < r * r;
            const double red = disc ? 230 - y * 0.1 : x * 255.0 / w;
            const double green = 128 + wave;
            const double blue = disc ? 40 + x * 0.05 : y * 255.0 / h;
            out.push_back(Clamp(blue + noise));
            out.push_back(Clamp(green + noise));
            out.push_back(Clamp(red + noise));
        }
        for (int pad = w * 3; pad < stride; ++pad) out.push_back(0);
    }
    return out;
}

void AppendPicture(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& picture) {
    U32(out, static_cast<std::uint32_t>(picture.size()));
    out.insert(out.end(), picture.begin(), picture.end());
}

}  // namespace tal::bench
