#include "platform/fonts/SfntCollection.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/fonts/FontEngine.h"

namespace tal::fonts {

namespace {

constexpr std::uint32_t MakeTag(char a, char b, char c, char d) {
    return (static_cast<std::uint32_t>(static_cast<unsigned char>(a)) << 24) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(b)) << 16) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 8) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(d));
}

constexpr std::uint32_t TAG_TTCF = MakeTag('t', 't', 'c', 'f');
constexpr std::uint32_t TAG_HEAD = MakeTag('h', 'e', 'a', 'd');
constexpr std::size_t OFFSET_TABLE_SIZE = 12;
constexpr std::size_t TABLE_RECORD_SIZE = 16;
constexpr std::size_t HEAD_CHECKSUM_ADJUSTMENT = 8;
// The whole font's checksum plus the adjustment in head gives this value.
constexpr std::uint32_t SFNT_CHECKSUM_MAGIC = 0xB1B0AFBA;

[[noreturn]] void Malformed(const std::string& why) {
    throw EFontError("Malformed font collection: " + why);
}

// Big-endian reads that refuse to look past the end of the bytes.
class TCheckedReader {
public:
    explicit TCheckedReader(std::span<const std::uint8_t> bytes) : FBytes(bytes) {}

    std::uint16_t U16(std::uint64_t offset) const {
        Require(offset, 2);
        return static_cast<std::uint16_t>((FBytes[offset] << 8) | FBytes[offset + 1]);
    }
    std::uint32_t U32(std::uint64_t offset) const {
        Require(offset, 4);
        return (static_cast<std::uint32_t>(FBytes[offset]) << 24) |
               (static_cast<std::uint32_t>(FBytes[offset + 1]) << 16) |
               (static_cast<std::uint32_t>(FBytes[offset + 2]) << 8) | FBytes[offset + 3];
    }
    // Offsets and lengths are 32-bit and added in 64 bits, so no sum wraps.
    bool Holds(std::uint64_t offset, std::uint64_t length) const {
        return offset <= FBytes.size() && length <= FBytes.size() - offset;
    }
    void Require(std::uint64_t offset, std::uint64_t length) const {
        if (!Holds(offset, length)) Malformed("data ends before offset " + std::to_string(offset + length));
    }
    std::uint64_t Size() const { return FBytes.size(); }

private:
    std::span<const std::uint8_t> FBytes;
};

struct TTableRecord {
    std::uint32_t Tag;
    std::uint32_t CheckSum;
    std::uint32_t Offset;
    std::uint32_t Length;
};

void PutU16(std::vector<std::uint8_t>& out, std::size_t at, std::uint16_t v) {
    out[at] = static_cast<std::uint8_t>(v >> 8);
    out[at + 1] = static_cast<std::uint8_t>(v);
}

void PutU32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

std::uint32_t GetU32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | bytes[at + i];
    return v;
}

std::uint64_t FaceDirectoryOffset(const TCheckedReader& in, std::uint32_t faceIndex) {
    if (in.U32(0) != TAG_TTCF) Malformed("no 'ttcf' tag");
    const std::uint32_t faceCount = in.U32(8);
    if (faceIndex >= faceCount)
        Malformed("face " + std::to_string(faceIndex) + " asked of " + std::to_string(faceCount));
    return in.U32(12 + 4 * static_cast<std::uint64_t>(faceIndex));
}

// The table records of one face, sorted by tag as a font directory must be.
// Tables of one face never share bytes, so lengths adding up to more than the
// file mean overlapping tables: refused, since copying them could multiply
// the output far beyond the input.
std::vector<TTableRecord> ReadTableRecords(const TCheckedReader& in, std::uint64_t directory) {
    const std::uint16_t tableCount = in.U16(directory + 4);
    if (tableCount == 0) Malformed("a face without tables");
    in.Require(directory, OFFSET_TABLE_SIZE + TABLE_RECORD_SIZE * static_cast<std::uint64_t>(tableCount));
    std::vector<TTableRecord> records;
    records.reserve(tableCount);
    std::uint64_t total = 0;
    for (std::uint64_t i = 0; i < tableCount; ++i) {
        const std::uint64_t at = directory + OFFSET_TABLE_SIZE + TABLE_RECORD_SIZE * i;
        const TTableRecord record{in.U32(at), in.U32(at + 4), in.U32(at + 8), in.U32(at + 12)};
        if (!in.Holds(record.Offset, record.Length)) Malformed("a table lies outside the file");
        total += record.Length;
        records.push_back(record);
    }
    if (total > in.Size()) Malformed("overlapping tables");
    std::sort(records.begin(), records.end(), [](const auto& a, const auto& b) { return a.Tag < b.Tag; });
    const auto duplicate = std::adjacent_find(records.begin(), records.end(),
                                              [](const auto& a, const auto& b) { return a.Tag == b.Tag; });
    if (duplicate != records.end()) Malformed("a table tag appears twice");
    return records;
}

// searchRange, entrySelector, rangeShift of a directory with n tables.
void PutSearchFields(std::vector<std::uint8_t>& out, std::uint16_t n) {
    std::uint16_t selector = 0;
    while ((2u << selector) <= n) ++selector;
    const auto range = static_cast<std::uint16_t>(16u << selector);
    PutU16(out, 6, range);
    PutU16(out, 8, selector);
    PutU16(out, 10, static_cast<std::uint16_t>(n * 16u - range));
}

std::uint32_t CheckSum(const std::vector<std::uint8_t>& bytes) {
    std::uint32_t sum = 0;
    for (std::size_t at = 0; at < bytes.size(); at += 4) sum += GetU32(bytes, at);
    return sum;
}

std::size_t Align4(std::size_t n) { return (n + 3) & ~static_cast<std::size_t>(3); }

}  // namespace

bool IsFontCollection(std::span<const std::uint8_t> file) {
    const TCheckedReader in(file);
    return in.Holds(0, 4) && in.U32(0) == TAG_TTCF;
}

std::vector<std::uint8_t> ExtractCollectionFace(std::span<const std::uint8_t> collection, std::uint32_t faceIndex) {
    const TCheckedReader in(collection);
    const std::uint64_t directory = FaceDirectoryOffset(in, faceIndex);
    const std::vector<TTableRecord> records = ReadTableRecords(in, directory);
    const auto tableCount = static_cast<std::uint16_t>(records.size());

    std::size_t size = OFFSET_TABLE_SIZE + TABLE_RECORD_SIZE * records.size();
    for (const auto& record : records) size += Align4(record.Length);
    if (size > UINT32_MAX) Malformed("the face is too large for a font file");
    std::vector<std::uint8_t> out(size, 0);
    PutU32(out, 0, in.U32(directory));  // sfnt version
    PutU16(out, 4, tableCount);
    PutSearchFields(out, tableCount);

    std::size_t position = OFFSET_TABLE_SIZE + TABLE_RECORD_SIZE * records.size();
    std::size_t headAt = 0;
    bool hasHead = false;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const auto& record = records[i];
        const std::size_t entry = OFFSET_TABLE_SIZE + TABLE_RECORD_SIZE * i;
        PutU32(out, entry, record.Tag);
        PutU32(out, entry + 4, record.CheckSum);
        PutU32(out, entry + 8, static_cast<std::uint32_t>(position));
        PutU32(out, entry + 12, record.Length);
        std::copy_n(collection.begin() + record.Offset, record.Length, out.begin() + static_cast<long>(position));
        if (record.Tag == TAG_HEAD && record.Length >= HEAD_CHECKSUM_ADJUSTMENT + 4) {
            headAt = position;
            hasHead = true;
        }
        position += Align4(record.Length);
    }
    if (hasHead) {
        PutU32(out, headAt + HEAD_CHECKSUM_ADJUSTMENT, 0);
        PutU32(out, headAt + HEAD_CHECKSUM_ADJUSTMENT, SFNT_CHECKSUM_MAGIC - CheckSum(out));
    }
    return out;
}

std::vector<std::uint8_t> ReadFaceProgram(const std::string& file, int index, const std::string& faceName) {
    // A face index from fontconfig carries a variable font's named instance
    // in its upper 16 bits; the face inside a collection is the lower 16.
    constexpr int COLLECTION_INDEX_MASK = 0xFFFF;
    std::ifstream in(file, std::ios::binary);
    std::vector<std::uint8_t> bytes;
    if (in) bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!in && !in.eof()) throw EFontError("The font file " + file + " of \"" + faceName + "\" cannot be read");
    if (!IsFontCollection(bytes)) return bytes;
    try {
        return ExtractCollectionFace(bytes, static_cast<std::uint32_t>(index & COLLECTION_INDEX_MASK));
    } catch (const EFontError& e) {
        throw EFontError("The font \"" + faceName + "\" (" + file + "): " + e.Message());
    }
}

}  // namespace tal::fonts
