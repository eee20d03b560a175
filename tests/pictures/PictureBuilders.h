#pragma once
// Small writers of bitmap and icon files for the picture tests and fuzz seeds.
#include <cstdint>
#include <functional>
#include <vector>

namespace tal::pictest {

using TBytes = std::vector<std::uint8_t>;

inline void Put16(TBytes& b, std::uint32_t v) {
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}
inline void Put32(TBytes& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
inline void Set32(TBytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = (v >> (8 * i)) & 0xFF;
}

struct TDibSpec {
    int Width = 1;
    int Height = 1;
    int BitCount = 24;
    std::uint32_t Compression = 0;
    std::uint32_t HeaderSize = 40;       // 12, 40, 108 or 124
    bool TopDown = false;
    std::vector<std::uint32_t> Palette;  // 0x00RRGGBB
    std::vector<std::uint32_t> Masks;    // R, G, B (, A) for bit fields
    std::uint32_t ColorsUsed = 0;        // 0: the palette's size
    int HeightFactor = 1;                // 2 for icon images
};

// Header, masks and colour table of a packed DIB.
inline TBytes DibHeader(const TDibSpec& s) {
    TBytes b;
    if (s.HeaderSize == 12) {
        Put32(b, 12);
        Put16(b, s.Width);
        Put16(b, s.Height * s.HeightFactor);
        Put16(b, 1);
        Put16(b, s.BitCount);
        for (std::uint32_t c : s.Palette) {
            b.push_back(c & 0xFF);
            b.push_back((c >> 8) & 0xFF);
            b.push_back((c >> 16) & 0xFF);
        }
        return b;
    }
    Put32(b, s.HeaderSize);
    Put32(b, s.Width);
    Put32(b, static_cast<std::uint32_t>(s.TopDown ? -(s.Height * s.HeightFactor) : s.Height * s.HeightFactor));
    Put16(b, 1);
    Put16(b, s.BitCount);
    Put32(b, s.Compression);
    Put32(b, 0);
    Put32(b, 2835);
    Put32(b, 2835);
    Put32(b, s.ColorsUsed ? s.ColorsUsed : static_cast<std::uint32_t>(s.Palette.size()));
    Put32(b, 0);
    if (s.HeaderSize > 40) {
        for (std::size_t i = 0; i < 4; ++i) Put32(b, i < s.Masks.size() ? s.Masks[i] : 0);
        b.resize(s.HeaderSize, 0);
    } else {
        for (std::uint32_t m : s.Masks) Put32(b, m);
    }
    for (std::uint32_t c : s.Palette) Put32(b, c);
    return b;
}

// Uncompressed rows: value(x, y) is a palette index, the raw 16/32-bit pixel,
// or 0x00RRGGBB for 24 bits; y counts from the top.
inline TBytes DibRows(const TDibSpec& s, const std::function<std::uint32_t(int, int)>& value) {
    const std::size_t stride = ((static_cast<std::size_t>(s.Width) * s.BitCount + 31) / 32) * 4;
    TBytes b(stride * s.Height, 0);
    for (int y = 0; y < s.Height; ++y) {
        std::uint8_t* row = b.data() + (s.TopDown ? y : s.Height - 1 - y) * stride;
        for (int x = 0; x < s.Width; ++x) {
            const std::uint32_t v = value(x, y);
            switch (s.BitCount) {
                case 1: row[x / 8] |= (v & 1) << (7 - x % 8); break;
                case 4: row[x / 2] |= (v & 15) << (x % 2 ? 0 : 4); break;
                case 8: row[x] = v & 0xFF; break;
                case 16: row[2 * x] = v & 0xFF; row[2 * x + 1] = (v >> 8) & 0xFF; break;
                case 24: row[3 * x] = v & 0xFF; row[3 * x + 1] = (v >> 8) & 0xFF; row[3 * x + 2] = (v >> 16) & 0xFF; break;
                case 32: for (int i = 0; i < 4; ++i) row[4 * x + i] = (v >> (8 * i)) & 0xFF; break;
            }
        }
    }
    return b;
}

inline TBytes Concat(TBytes a, const TBytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline TBytes BmpFile(const TBytes& header, const TBytes& pixels) {
    TBytes b{'B', 'M'};
    Put32(b, static_cast<std::uint32_t>(14 + header.size() + pixels.size()));
    Put32(b, 0);
    Put32(b, static_cast<std::uint32_t>(14 + header.size()));
    b.insert(b.end(), header.begin(), header.end());
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
}

struct TIconEntry {
    int Width = 0, Height = 0, BitCount = 0;
    TBytes Data;  // a packed DIB with its AND mask, or a PNG stream
};

inline TBytes IconFile(const std::vector<TIconEntry>& entries) {
    TBytes b;
    Put16(b, 0);
    Put16(b, 1);
    Put16(b, static_cast<std::uint32_t>(entries.size()));
    std::size_t offset = 6 + 16 * entries.size();
    for (const TIconEntry& e : entries) {
        b.push_back(static_cast<std::uint8_t>(e.Width & 0xFF));
        b.push_back(static_cast<std::uint8_t>(e.Height & 0xFF));
        b.push_back(0);
        b.push_back(0);
        Put16(b, 1);
        Put16(b, e.BitCount);
        Put32(b, static_cast<std::uint32_t>(e.Data.size()));
        Put32(b, static_cast<std::uint32_t>(offset));
        offset += e.Data.size();
    }
    for (const TIconEntry& e : entries) b.insert(b.end(), e.Data.begin(), e.Data.end());
    return b;
}

// The AND mask rows of an icon image: masked(x, y) true = transparent.
inline TBytes IconMask(int width, int height, const std::function<bool(int, int)>& masked) {
    TDibSpec s;
    s.Width = width;
    s.Height = height;
    s.BitCount = 1;
    return DibRows(s, [&](int x, int y) { return masked(x, y) ? 1u : 0u; });
}

}  // namespace tal::pictest
