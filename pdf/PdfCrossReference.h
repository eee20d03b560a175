#pragma once
// The end of a PDF file: the cross-reference table, the trailer, startxref
// and the end marker.
#include <cstdint>
#include <span>
#include <string>

namespace tal::pdf {

// An xref entry holds ten digits: the largest byte offset a document can have.
inline constexpr std::int64_t MaxXrefOffset = 9'999'999'999;

// The ten-digit, zero-filled offset of a cross-reference entry; an offset
// outside 0 .. MaxXrefOffset raises EOutOfResources.
std::string XrefOffset(std::int64_t offset);

// Every line from "xref" to "%%EOF", each ending in CR LF: offsets[i] is the
// offset of object i + 1, the last object is the information dictionary and
// xrefOffset is where the table starts.
std::string CrossReferenceAndTrailer(std::span<const std::int64_t> offsets, std::int64_t xrefOffset,
                                     std::int32_t rootNumber);

}  // namespace tal::pdf
