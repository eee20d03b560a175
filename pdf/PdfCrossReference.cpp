// Offsets are 64-bit from the output buffer to the written digits, so a
// document above 2 GB still points its reader at the right bytes.
#include "pdf/PdfCrossReference.h"

#include "platform/Exception.h"
#include "platform/Format.h"

namespace tal::pdf {

std::string XrefOffset(std::int64_t offset) {
    if (offset < 0 || offset > MaxXrefOffset)
        throw EOutOfResources(Format("A PDF document of more than %d bytes cannot be written (an object at offset %d).",
                                     {static_cast<long long>(MaxXrefOffset), static_cast<long long>(offset)}));
    std::string text = Format("%10.0d", {static_cast<long long>(offset)});
    for (char& c : text)
        if (c == ' ') c = '0';
    return text;
}

std::string CrossReferenceAndTrailer(std::span<const std::int64_t> offsets, std::int64_t xrefOffset,
                                     std::int32_t rootNumber) {
    const auto count = static_cast<long long>(offsets.size());
    // startxref has no fixed width, but the same limit holds for it.
    XrefOffset(xrefOffset);
    std::string out;
    out.reserve(offsets.size() * 20 + 128);
    auto line = [&out](std::string_view text) {
        out += text;
        out += "\r\n";
    };
    line("xref");
    line(Format("0 %d", {count + 1}));
    line("0000000000 65535 f");
    for (std::int64_t offset : offsets) line(XrefOffset(offset) + " 00000 n");
    line("");
    line("trailer");
    line("<<");
    line(Format("/Size %d", {count + 1}));
    line(Format("/Root %d 0 R", {static_cast<long long>(rootNumber)}));
    line(Format("/Info %d 0 R", {count}));
    line(">>");
    line("");
    line("startxref");
    line(Format("%d", {static_cast<long long>(xrefOffset)}));
    line("%%EOF");
    return out;
}

}  // namespace tal::pdf
