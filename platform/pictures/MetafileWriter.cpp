#include "platform/pictures/MetafileWriter.h"

#include <cstring>

#include "platform/Exception.h"

namespace tal::pictures {

TRecordData& TRecordData::U8(std::uint8_t v) {
    FData.push_back(v);
    return *this;
}
TRecordData& TRecordData::U16(std::uint16_t v) {
    FData.push_back(v & 0xFF);
    FData.push_back(v >> 8);
    return *this;
}
TRecordData& TRecordData::U32(std::uint32_t v) {
    U16(v & 0xFFFF);
    return U16(v >> 16);
}
TRecordData& TRecordData::F32(float v) {
    std::uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return U32(bits);
}
TRecordData& TRecordData::Bytes(const std::vector<std::uint8_t>& bytes) {
    FData.insert(FData.end(), bytes.begin(), bytes.end());
    return *this;
}
TRecordData& TRecordData::Bytes(std::string_view bytes) {
    FData.insert(FData.end(), bytes.begin(), bytes.end());
    return *this;
}
TRecordData& TRecordData::Pad(std::size_t alignment) {
    while (FData.size() % alignment != 0) FData.push_back(0);
    return *this;
}

namespace {

void Append(std::vector<std::uint8_t>& out, const TRecordData& data) {
    out.insert(out.end(), data.Data().begin(), data.Data().end());
}

}  // namespace

void TWmfWriter::Add(TWmf function, std::initializer_list<std::int16_t> words) {
    TRecordData data;
    for (std::int16_t w : words) data.I16(w);
    Add(function, data);
}

void TWmfWriter::Add(TWmf function, const TRecordData& parameters) {
    TRecordData record;
    TRecordData body = parameters;
    body.Pad(2);
    const std::size_t words = 3 + body.Size() / 2;
    if (words > 0xFFFFFFFFu) throw EInvalidGraphic("Metafile: a record is too large to write");
    record.U32(static_cast<std::uint32_t>(words)).U16(static_cast<std::uint16_t>(function)).Bytes(body.Data());
    Append(FRecords, record);
    FMaxRecordWords = std::max<std::uint32_t>(FMaxRecordWords, static_cast<std::uint32_t>(words));
}

std::vector<std::uint8_t> TWmfWriter::Finish(bool placeable, TIntRect box, std::uint16_t inch) const {
    TRecordData out;
    if (placeable) {
        TRecordData header;
        header.U32(PlaceableKey).U16(0).I16(static_cast<std::int16_t>(box.Left)).I16(static_cast<std::int16_t>(box.Top))
            .I16(static_cast<std::int16_t>(box.Right)).I16(static_cast<std::int16_t>(box.Bottom)).U16(inch).U32(0);
        std::uint16_t checksum = 0;
        for (std::size_t i = 0; i < 20; i += 2)
            checksum ^= static_cast<std::uint16_t>(header.Data()[i] | (header.Data()[i + 1] << 8));
        header.U16(checksum);
        out.Bytes(header.Data());
    }
    const std::size_t totalWords = (WmfHeaderSize + FRecords.size()) / 2 + 3;
    out.U16(2).U16(9).U16(0x0300).U32(static_cast<std::uint32_t>(totalWords)).U16(FObjectCount).U32(FMaxRecordWords).U16(0);
    out.Bytes(FRecords);
    out.U32(3).U16(static_cast<std::uint16_t>(TWmf::Eof));
    return out.Data();
}

void TEmfWriter::Add(TEmr type, const TRecordData& parameters) {
    TRecordData body = parameters;
    body.Pad(4);
    TRecordData record;
    record.U32(static_cast<std::uint32_t>(type)).U32(static_cast<std::uint32_t>(8 + body.Size())).Bytes(body.Data());
    Append(FRecords, record);
    ++FCount;
}

std::vector<std::uint8_t> TEmfWriter::Finish(TIntRect bounds, TIntRect frame, std::int32_t devicePixelsX,
                                             std::int32_t devicePixelsY, std::int32_t deviceMmX,
                                             std::int32_t deviceMmY) const {
    constexpr std::uint32_t headerSize = 108;
    const std::uint32_t eofSize = 20;
    const std::size_t total = headerSize + FRecords.size() + eofSize;
    TRecordData out;
    out.U32(static_cast<std::uint32_t>(TEmr::Header)).U32(headerSize);
    for (const TIntRect& r : {bounds, frame}) out.I32(r.Left).I32(r.Top).I32(r.Right).I32(r.Bottom);
    out.U32(EmfSignature).U32(0x00010000).U32(static_cast<std::uint32_t>(total)).U32(FCount + 2);
    out.U16(FHandles).U16(0).U32(0).U32(0).U32(0);
    out.I32(devicePixelsX).I32(devicePixelsY).I32(deviceMmX).I32(deviceMmY);
    out.U32(0).U32(0).U32(0);                           // no pixel format, no OpenGL
    out.I32(deviceMmX * 1000).I32(deviceMmY * 1000);    // the device in micrometres
    out.Bytes(FRecords);
    out.U32(static_cast<std::uint32_t>(TEmr::Eof)).U32(eofSize).U32(0).U32(16).U32(eofSize);
    return out.Data();
}

}  // namespace tal::pictures
