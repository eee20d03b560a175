#include "platform/pictures/MetafileWriter.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/Exception.h"

namespace tal::pictures {

TRecordData& TRecordData::F32(float v) {
    std::uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return U32(bits);
}

TRecordData& TRecordData::Bytes(std::string_view bytes) {
    FData.insert(FData.end(), bytes.begin(), bytes.end());
    return *this;
}

namespace {

constexpr std::uint64_t MaxU32 = std::numeric_limits<std::uint32_t>::max();
constexpr std::uint32_t EmfHeaderSize = 108;  // EMR_HEADER up to szlMicrometers
constexpr std::uint32_t EmfEofSize = 20;

std::uint32_t StoredU32(const std::uint8_t* p) {
    return p[0] | (static_cast<std::uint32_t>(p[1]) << 8) | (static_cast<std::uint32_t>(p[2]) << 16) |
           (static_cast<std::uint32_t>(p[3]) << 24);
}

std::int32_t Micrometers(std::int32_t millimeters) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(std::int64_t{millimeters} * 1000,
                                                              std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

void TWmfWriter::Add(TWmf function, std::initializer_list<std::int16_t> words) {
    TRecordData data;
    for (const std::int16_t w : words) data.I16(w);
    Add(function, data);
}

void TWmfWriter::Add(TWmf function, const TRecordData& parameters) {
    const std::uint64_t words = 3 + (std::uint64_t {parameters.Size()} + 1) / 2;
    if (words > MaxU32) throw EInvalidGraphic("Metafile: a record is too large to write");
    FRecords.U32(static_cast<std::uint32_t>(words)).U16(static_cast<std::uint16_t>(function));
    FRecords.Bytes(parameters.Data()).Pad(2);
    FMaxRecordWords = std::max(FMaxRecordWords, static_cast<std::uint32_t>(words));
}

void TWmfWriter::AddRaw(const std::uint8_t* record, std::size_t size) {
    if (size < 6 || size % 2 != 0 || size / 2 > MaxU32 || StoredU32(record) != size / 2)
        throw EInvalidGraphic("Metafile: a copied record does not have the size it claims");
    FRecords.Bytes(record, size);
    FMaxRecordWords = std::max(FMaxRecordWords, static_cast<std::uint32_t>(size / 2));
}

std::vector<std::uint8_t> TWmfWriter::Finish(bool placeable, TIntRect box, std::uint16_t inch) const {
    TRecordData out;
    if (placeable) {
        out.U32(PlaceableKey).U16(0).I16(static_cast<std::int16_t>(box.Left)).I16(static_cast<std::int16_t>(box.Top))
            .I16(static_cast<std::int16_t>(box.Right)).I16(static_cast<std::int16_t>(box.Bottom)).U16(inch).U32(0);
        std::uint16_t checksum = 0;
        for (std::size_t i = 0; i < 20; i += 2)
            checksum ^= static_cast<std::uint16_t>(out.Data()[i] | (out.Data()[i + 1] << 8));
        out.U16(checksum);
    }
    const std::uint64_t totalWords = (WmfHeaderSize + FRecords.Size()) / 2 + 3;
    if (totalWords > MaxU32) throw EInvalidGraphic("Metafile: too large to write");
    // Type 1, a memory metafile: what metafiles embedded in documents, and
    // most files, carry.
    out.U16(1).U16(static_cast<std::uint16_t>(WmfHeaderSize / 2)).U16(0x0300).U32(static_cast<std::uint32_t>(totalWords)).U16(FObjectCount);
    out.U32(FMaxRecordWords).U16(0);
    out.Bytes(FRecords.Data());
    out.U32(3).U16(static_cast<std::uint16_t>(TWmf::Eof));
    return std::move(out.Data());
}

void TEmfWriter::Add(TEmr type, const TRecordData& parameters) {
    const std::uint64_t size = 8 + (std::uint64_t {parameters.Size()} + 3) / 4 * 4;
    if (size > MaxU32) throw EInvalidGraphic("Metafile: a record is too large to write");
    FRecords.U32(static_cast<std::uint32_t>(type)).U32(static_cast<std::uint32_t>(size));
    FRecords.Bytes(parameters.Data()).Pad(4);
    ++FCount;
}

void TEmfWriter::AddRaw(const std::uint8_t* record, std::size_t size) {
    if (size < 8 || size % 4 != 0 || size > MaxU32 || StoredU32(record + 4) != size)
        throw EInvalidGraphic("Metafile: a copied record does not have the size it claims");
    FRecords.Bytes(record, size);
    ++FCount;
}

std::vector<std::uint8_t> TEmfWriter::Finish(TIntRect bounds, TIntRect frame, std::int32_t devicePixelsX,
                                             std::int32_t devicePixelsY, std::int32_t deviceMmX,
                                             std::int32_t deviceMmY) const {
    return Finish(bounds, frame,
                  {devicePixelsX, devicePixelsY, deviceMmX, deviceMmY, Micrometers(deviceMmX), Micrometers(deviceMmY)});
}

std::vector<std::uint8_t> TEmfWriter::Finish(TIntRect bounds, TIntRect frame, const TEmfDevice& device) const {
    const std::uint64_t total = EmfHeaderSize + FRecords.Size() + EmfEofSize;
    if (total > MaxU32) throw EInvalidGraphic("Metafile: too large to write");
    TRecordData out;
    out.U32(static_cast<std::uint32_t>(TEmr::Header)).U32(EmfHeaderSize);
    for (const TIntRect& r : {bounds, frame}) out.I32(r.Left).I32(r.Top).I32(r.Right).I32(r.Bottom);
    // nRecords counts the header and EMR_EOF too.
    out.U32(EmfSignature).U32(0x00010000).U32(static_cast<std::uint32_t>(total)).U32(FCount + 2);
    out.U16(FHandles).U16(0).U32(0).U32(0).U32(0);  // no description, no palette
    out.I32(device.PixelsX).I32(device.PixelsY).I32(device.MillimetersX).I32(device.MillimetersY);
    out.U32(0).U32(0).U32(0);  // no pixel format, no OpenGL
    out.I32(device.MicrometersX).I32(device.MicrometersY);
    out.Bytes(FRecords.Data());
    // No palette: nPalEntries 0, offPalEntries 16, then nSizeLast, the record's own size.
    out.U32(static_cast<std::uint32_t>(TEmr::Eof)).U32(EmfEofSize).U32(0).U32(16).U32(EmfEofSize);
    return std::move(out.Data());
}

}  // namespace tal::pictures
