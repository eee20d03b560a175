#include "FontTestSupport.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace tal::test {

std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string TestDataPath(std::string_view name) {
    return std::string(TAL_SOURCE_DIR) + "/tests/fonts/data/" + std::string(name);
}

TSfntReader::TSfntReader(std::vector<std::uint8_t> bytes) : FBytes(std::move(bytes)) {}

std::uint16_t TSfntReader::U16(std::size_t at) const {
    if (at + 2 > FBytes.size()) throw std::runtime_error("read past the end");
    return static_cast<std::uint16_t>(FBytes[at] << 8 | FBytes[at + 1]);
}

std::uint32_t TSfntReader::U32(std::size_t at) const { return static_cast<std::uint32_t>(U16(at)) << 16 | U16(at + 2); }

TSfntReader::TLocation TSfntReader::Find(std::string_view tag) const {
    const std::uint16_t count = U16(4);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t record = 12 + 16 * i;
        if (std::string_view(reinterpret_cast<const char*>(&FBytes[record]), 4) == tag)
            return {U32(record + 8), U32(record + 12)};
    }
    return {};
}

std::vector<std::uint8_t> TSfntReader::Table(std::string_view tag) const {
    const TLocation where = Find(tag);
    if (where.Length == 0) return {};
    return {FBytes.begin() + where.Offset, FBytes.begin() + where.Offset + where.Length};
}

std::uint16_t TSfntReader::UnitsPerEm() const { return U16(Find("head").Offset + 18); }

// hmtx holds numberOfHMetrics (advance, lsb) pairs; later glyphs repeat the
// last advance.
std::uint16_t TSfntReader::Advance(std::uint16_t glyph) const {
    const std::uint16_t metrics = U16(Find("hhea").Offset + 34);
    const std::uint16_t index = glyph < metrics ? glyph : static_cast<std::uint16_t>(metrics - 1);
    return U16(Find("hmtx").Offset + 4u * index);
}

std::uint16_t TSfntReader::GlyphForUnicode(std::uint16_t code) const {
    const std::uint32_t cmap = Find("cmap").Offset;
    const std::uint16_t tables = U16(cmap + 2);
    for (std::size_t i = 0; i < tables; ++i) {
        const std::size_t record = cmap + 4 + 8 * i;
        if (U16(record) != 3 || U16(record + 2) != 1) continue;
        const std::size_t sub = cmap + U32(record + 4);
        if (U16(sub) != 4) continue;
        const std::size_t segments = U16(sub + 6) / 2;
        const std::size_t ends = sub + 14;
        const std::size_t starts = ends + 2 * segments + 2;
        const std::size_t deltas = starts + 2 * segments;
        const std::size_t ranges = deltas + 2 * segments;
        for (std::size_t s = 0; s < segments; ++s) {
            if (code > U16(ends + 2 * s)) continue;
            const std::uint16_t start = U16(starts + 2 * s);
            if (code < start) return 0;
            const std::uint16_t delta = U16(deltas + 2 * s);
            const std::uint16_t range = U16(ranges + 2 * s);
            if (range == 0) return static_cast<std::uint16_t>(code + delta);
            const std::uint16_t glyph = U16(ranges + 2 * s + range + 2u * (code - start));
            return glyph == 0 ? 0 : static_cast<std::uint16_t>(glyph + delta);
        }
        return 0;
    }
    throw std::runtime_error("no (3,1) format 4 cmap");
}

std::uint16_t Cp1252(std::uint8_t byte) {
    static constexpr std::uint16_t HIGH[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    return byte >= 0x80 && byte < 0xA0 ? HIGH[byte - 0x80] : byte;
}

long ScaledPixels(long units, long pixelsPerEm, long unitsPerEm) {
    return (2 * units * pixelsPerEm + unitsPerEm) / (2 * unitsPerEm);
}

}  // namespace tal::test
