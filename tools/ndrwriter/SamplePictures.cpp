#include "tools/ndrwriter/SamplePictures.h"

namespace tal::ndrwriter {

namespace {

class TLittleEndian {
public:
    void U8(std::uint8_t v) { Bytes.push_back(v); }
    void U16(std::uint16_t v) {
        U8(static_cast<std::uint8_t>(v));
        U8(static_cast<std::uint8_t>(v >> 8));
    }
    void U32(std::uint32_t v) {
        U16(static_cast<std::uint16_t>(v));
        U16(static_cast<std::uint16_t>(v >> 16));
    }
    std::vector<std::uint8_t> Bytes;
};

void InfoHeader(TLittleEndian& out, int width, int height, int bits, std::uint32_t imageSize) {
    out.U32(40);
    out.U32(static_cast<std::uint32_t>(width));
    out.U32(static_cast<std::uint32_t>(height));
    out.U16(1);
    out.U16(static_cast<std::uint16_t>(bits));
    out.U32(0);  // BI_RGB
    out.U32(imageSize);
    out.U32(2835);
    out.U32(2835);
    out.U32(0);
    out.U32(0);
}

}  // namespace

std::vector<std::uint8_t> SolidBitmap(int width, int height, std::uint32_t color) {
    const int stride = (width * 3 + 3) & ~3;
    const auto imageSize = static_cast<std::uint32_t>(stride * height);
    TLittleEndian out;
    out.U8('B');
    out.U8('M');
    out.U32(54 + imageSize);
    out.U32(0);
    out.U32(54);
    InfoHeader(out, width, height, 24, imageSize);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            out.U8(static_cast<std::uint8_t>(color >> 16));
            out.U8(static_cast<std::uint8_t>(color >> 8));
            out.U8(static_cast<std::uint8_t>(color));
        }
        for (int pad = width * 3; pad < stride; ++pad) out.U8(0);
    }
    return out.Bytes;
}

std::vector<std::uint8_t> RectangleMetafile(int widthTwips, int heightTwips) {
    TLittleEndian out;
    // Placeable header: key, handle, bounding box, units per inch, reserved, checksum.
    const std::uint16_t words[10] = {0xCDD7, 0x9AC6, 0, 0, 0, static_cast<std::uint16_t>(widthTwips),
                                     static_cast<std::uint16_t>(heightTwips), 1440, 0, 0};
    std::uint16_t checksum = 0;
    for (std::uint16_t w : words) {
        out.U16(w);
        checksum ^= w;
    }
    out.U16(checksum);
    // Metafile header, then SetWindowOrg, SetWindowExt, Rectangle, EOF.
    const std::uint32_t records = 5 + 5 + 7 + 3;
    out.U16(1);
    out.U16(9);
    out.U16(0x0300);
    out.U32(9 + records);
    out.U16(0);
    out.U32(7);
    out.U16(0);
    out.U32(5);
    out.U16(0x020B);  // META_SETWINDOWORG: y, x
    out.U16(0);
    out.U16(0);
    out.U32(5);
    out.U16(0x020C);  // META_SETWINDOWEXT: y, x
    out.U16(static_cast<std::uint16_t>(heightTwips));
    out.U16(static_cast<std::uint16_t>(widthTwips));
    out.U32(7);
    out.U16(0x041B);  // META_RECTANGLE: bottom, right, top, left
    out.U16(static_cast<std::uint16_t>(heightTwips * 3 / 4));
    out.U16(static_cast<std::uint16_t>(widthTwips * 3 / 4));
    out.U16(static_cast<std::uint16_t>(heightTwips / 4));
    out.U16(static_cast<std::uint16_t>(widthTwips / 4));
    out.U32(3);
    out.U16(0);  // META_EOF
    return out.Bytes;
}

std::vector<std::uint8_t> HalfMaskedIcon(int size, std::uint32_t color, bool alphaFollowsMask) {
    const int maskStride = ((size + 31) / 32) * 4;
    const auto imageSize = static_cast<std::uint32_t>(40 + size * size * 4 + maskStride * size);
    TLittleEndian out;
    out.U16(0);
    out.U16(1);  // icon
    out.U16(1);  // one image
    out.U8(static_cast<std::uint8_t>(size));
    out.U8(static_cast<std::uint8_t>(size));
    out.U8(0);
    out.U8(0);
    out.U16(1);
    out.U16(32);
    out.U32(imageSize);
    out.U32(22);
    InfoHeader(out, size, size * 2, 32, 0);
    for (int i = 0; i < size * size; ++i) {
        out.U8(static_cast<std::uint8_t>(color >> 16));
        out.U8(static_cast<std::uint8_t>(color >> 8));
        out.U8(static_cast<std::uint8_t>(color));
        out.U8(alphaFollowsMask && i % size < size / 2 ? 0 : 255);
    }
    for (int y = 0; y < size; ++y) {
        for (int byte = 0; byte < maskStride; ++byte) {
            std::uint8_t bits = 0;
            for (int bit = 0; bit < 8; ++bit) {
                const int x = byte * 8 + bit;
                if (x < size / 2) bits |= static_cast<std::uint8_t>(0x80 >> bit);  // 1: transparent
            }
            out.U8(bits);
        }
    }
    return out.Bytes;
}

}  // namespace tal::ndrwriter
