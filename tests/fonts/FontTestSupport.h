#pragma once
// Reading font tables for the tests, written apart from the engine so that
// the tests compare the engine with a second reading of the same bytes.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tal::test {

inline const std::string LIBERATION_DIR = "/usr/share/fonts/truetype/liberation2/";
inline const std::string DEJAVU_DIR = "/usr/share/fonts/truetype/dejavu/";

std::vector<std::uint8_t> ReadFile(const std::string& path);
std::string TestDataPath(std::string_view name);  // tests/fonts/data/<name>

// One sfnt (not a collection): its tables by tag, the Windows Unicode cmap
// (format 4) and the horizontal metrics.
class TSfntReader {
public:
    explicit TSfntReader(std::vector<std::uint8_t> bytes);

    std::uint16_t UnitsPerEm() const;
    std::uint16_t Advance(std::uint16_t glyph) const;  // hmtx, in font units
    std::uint16_t GlyphForUnicode(std::uint16_t code) const;
    // The bytes of a table; empty when the face has none.
    std::vector<std::uint8_t> Table(std::string_view tag) const;

private:
    struct TLocation {
        std::uint32_t Offset = 0;
        std::uint32_t Length = 0;
    };
    TLocation Find(std::string_view tag) const;
    std::uint16_t U16(std::size_t at) const;
    std::uint32_t U32(std::size_t at) const;

    std::vector<std::uint8_t> FBytes;
};

// The Unicode code point of a Windows-1252 byte, by the published table.
std::uint16_t Cp1252(std::uint8_t byte);

// An advance in font units at pixelsPerEm, rounded to the nearest pixel.
long ScaledPixels(long units, long pixelsPerEm, long unitsPerEm);

}  // namespace tal::test
