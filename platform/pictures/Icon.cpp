#include "platform/pictures/Icon.h"

#include <string>

#include "platform/pictures/Dib.h"

namespace tal::pictures {

namespace {

constexpr std::size_t DirectoryHeaderSize = 6;
constexpr std::size_t DirectoryEntrySize = 16;

// Applies the AND mask (1 = transparent) unless the image brings its own alpha.
void ApplyMask(TRgbaImage& image, const TDibInfo& info, const TByteView& mask, bool hasAlpha) {
    const std::size_t stride = ((static_cast<std::size_t>(info.Width) + 31) / 32) * 4;
    const bool maskPresent = mask.Size() >= stride * static_cast<std::size_t>(info.Height);
    for (int y = 0; y < image.Height(); ++y) {
        std::uint32_t* row = image.Row(y);
        const int stored = image.Height() - 1 - y;  // the mask is bottom-up, as the colour rows
        const std::uint8_t* bits = maskPresent ? mask.Data() + static_cast<std::size_t>(stored) * stride : nullptr;
        for (int x = 0; x < image.Width(); ++x) {
            if (hasAlpha) continue;
            const bool transparent = bits && ((bits[x >> 3] >> (7 - (x & 7))) & 1);
            row[x] = transparent ? 0 : (row[x] | 0xFF000000u);
        }
    }
}

// All images of one icon together stay within the raster cap, so that many
// directory entries naming one huge image cannot multiply it.
void Spend(std::int64_t& budget, std::int64_t width, std::int64_t height, const TByteView& data) {
    if (width * height > budget)
        throw EOutOfResources(std::string(data.Kind()) + ": the images together exceed the pixel limit");
    budget -= width * height;
}

TIconImage DecodeBmpEntry(const TByteView& data, std::int64_t& budget) {
    const TDibInfo info = ReadDibInfo(data, true);
    Spend(budget, info.Width, info.Height, data);
    if (info.TopDown) data.Fail("an icon image cannot be stored top-down");
    const TByteView colour = data.From(info.InfoSize, "the icon image pixels");
    const std::size_t colourBytes = info.Stride() * static_cast<std::size_t>(info.Height);
    if (info.Compression != BI_RGB && info.Compression != BI_BITFIELDS)
        data.Fail("icon image with compression " + std::to_string(info.Compression));
    if (colour.Size() < colourBytes) data.Fail("icon image pixels truncated");
    TIconImage result;
    result.BitCount = info.BitCount;
    result.Image = TRgbaImage(info.Width, info.Height);
    bool anyAlpha = false;
    DecodeDibPixels(info, colour, [&](int y, const std::uint32_t* row) {
        std::uint32_t* out = result.Image.Row(y);
        for (int x = 0; x < info.Width; ++x) {
            out[x] = row[x];
            if (info.BitCount == 32 && (row[x] >> 24) != 0) anyAlpha = true;
        }
    });
    ApplyMask(result.Image, info, colour.From(colourBytes, "the icon mask"), anyAlpha);
    return result;
}

TIconImage DecodeEntry(const TByteView& file, std::size_t index, std::int64_t& budget) {
    const std::size_t at = DirectoryHeaderSize + index * DirectoryEntrySize;
    const std::uint32_t size = file.U32(at + 8);
    const std::uint32_t offset = file.U32(at + 12);
    if (!file.Has(offset, size))
        file.Fail("image " + std::to_string(index + 1) + " lies outside the file (offset " + std::to_string(offset) +
                  ", " + std::to_string(size) + " bytes)");
    const TByteView data = file.Sub(offset, size, "an icon image");
    if (LooksLikePng(data.Data(), data.Size())) {
        TIconImage image;
        image.Image = DecodePng(data, budget);
        budget -= std::int64_t{image.Image.Width()} * image.Image.Height();
        image.BitCount = 32;
        image.Png = true;
        return image;
    }
    return DecodeBmpEntry(data, budget);
}

}  // namespace

TIconFile DecodeIconFile(const TByteView& file, std::int64_t maxPixels) {
    file.Require(0, DirectoryHeaderSize, "the icon directory");
    if (file.U16(0) != 0 || (file.U16(2) != 1 && file.U16(2) != 2)) file.Fail("not an icon file");
    const std::size_t count = file.U16(4);
    if (count == 0) file.Fail("the icon directory lists no image");
    file.Require(DirectoryHeaderSize, count * DirectoryEntrySize, "the icon directory");
    TIconFile icon;
    icon.Images.reserve(count);
    std::int64_t budget = maxPixels;
    for (std::size_t i = 0; i < count; ++i) {
        icon.Images.push_back(DecodeEntry(file, i, budget));
        const TIconImage& best = icon.Images[icon.Chosen];
        const TIconImage& next = icon.Images.back();
        const std::int64_t bestArea = std::int64_t{best.Image.Width()} * best.Image.Height();
        const std::int64_t nextArea = std::int64_t{next.Image.Width()} * next.Image.Height();
        if (nextArea > bestArea || (nextArea == bestArea && next.BitCount > best.BitCount)) icon.Chosen = i;
    }
    return icon;
}

}  // namespace tal::pictures
