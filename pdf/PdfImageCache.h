#pragma once
// Encoded pictures of one document (JPEG bytes, and the mask of one with
// transparent parts), kept by what they were made from: a picture drawn again
// from the same file bytes, at the same size and quality, is encoded once and
// its image objects share the bytes.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <vector>

namespace tal {

using TJpegBytes = std::shared_ptr<const std::vector<std::uint8_t>>;

struct TEncodedPicture {
    TJpegBytes Jpeg;
    TJpegBytes Mask;  // the mask's rows run-length encoded; none for an opaque picture
};

class TPdfImageCache {
public:
    // How a picture becomes pixels: its own pixels, or drawn into a raster.
    enum class TSource : std::uint8_t { OwnPixels, Drawn };

    struct TKey {
        std::uint8_t Kind = 0;  // the graphic kind
        TSource Source = TSource::OwnPixels;
        std::int32_t Width = 0, Height = 0, Quality = 0;
        const std::vector<std::uint8_t>* FileBytes = nullptr;  // the picture's file bytes
    };

    // Pictures whose file is larger are encoded every time: the key would
    // cost as much memory as the picture's own file.
    static constexpr std::size_t MaxKeyBytes = 1 << 20;
    static constexpr std::size_t MaxEntries = 16;

    // The bytes held for key, or those that encode() gives, which are then
    // held. A key without file bytes is never held.
    TEncodedPicture Get(const TKey& key, const std::function<TEncodedPicture()>& encode);
    void Clear() { FEntries.clear(); }
    std::size_t Count() const { return FEntries.size(); }

private:
    struct TEntry {
        std::uint8_t Kind;
        TSource Source;
        std::int32_t Width, Height, Quality;
        std::uint64_t Hash;
        std::vector<std::uint8_t> FileBytes;
        TEncodedPicture Encoded;
    };
    static bool Matches(const TEntry& entry, const TKey& key, std::uint64_t hash);

    std::list<TEntry> FEntries;  // most recently used first
};

}  // namespace tal
