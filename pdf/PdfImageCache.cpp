#include "pdf/PdfImageCache.h"

namespace tal {

namespace {

// FNV-1a: the file bytes are compared in full on a match, the hash only
// spares most comparisons.
std::uint64_t Hash(const std::vector<std::uint8_t>& bytes) {
    std::uint64_t h = 14695981039346656037ull;
    for (const std::uint8_t b : bytes) h = (h ^ b) * 1099511628211ull;
    return h;
}

}  // namespace

bool TPdfImageCache::Matches(const TEntry& entry, const TKey& key, std::uint64_t hash) {
    return entry.Hash == hash && entry.Kind == key.Kind && entry.Source == key.Source && entry.Width == key.Width &&
           entry.Height == key.Height && entry.Quality == key.Quality && entry.FileBytes == *key.FileBytes;
}

TEncodedPicture TPdfImageCache::Get(const TKey& key, const std::function<TEncodedPicture()>& encode) {
    if (!key.FileBytes || key.FileBytes->empty() || key.FileBytes->size() > MaxKeyBytes) return encode();
    const std::uint64_t hash = Hash(*key.FileBytes);
    for (auto it = FEntries.begin(); it != FEntries.end(); ++it)
        if (Matches(*it, key, hash)) {
            FEntries.splice(FEntries.begin(), FEntries, it);
            return it->Encoded;
        }
    TEncodedPicture encoded = encode();
    FEntries.push_front({key.Kind, key.Source, key.Width, key.Height, key.Quality, hash, *key.FileBytes, encoded});
    if (FEntries.size() > MaxEntries) FEntries.pop_back();
    return encoded;
}

}  // namespace tal
