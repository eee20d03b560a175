#pragma once
// TrueType collections (.ttc): several faces sharing one file. A PDF can only
// embed a single face, so a face of a collection is rebuilt as a font file of
// its own.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tal::fonts {

// True when the bytes start with the collection tag 'ttcf'.
bool IsFontCollection(std::span<const std::uint8_t> file);

// Face faceIndex of a collection as a standalone sfnt: the face's own table
// directory with the tables copied behind it, 4-byte aligned, and the head
// table's checksum adjustment made right for the new file. Every offset and
// length is checked against the collection's bytes; a malformed collection or
// an index beyond its faces raises EFontError.
std::vector<std::uint8_t> ExtractCollectionFace(std::span<const std::uint8_t> collection, std::uint32_t faceIndex);

// The font program of face index of a font file, ready to embed: the file
// as it is, or the face rebuilt from a collection (the upper 16 bits of
// fontconfig's index, a variable font's named instance, do not count).
// faceName names the face in the errors (EFontError) for a file that cannot
// be read or a malformed collection.
std::vector<std::uint8_t> ReadFaceProgram(const std::string& file, int index, const std::string& faceName);

}  // namespace tal::fonts
