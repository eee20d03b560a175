#pragma once
// Writing Windows and enhanced metafiles record by record, with the record
// definitions the reader uses. The writer keeps the framing right (sizes,
// header counts, the closing record); the caller gives each record's
// parameters in stored order. The test samples and the RTF picture writers
// share it, so that what the tests read back is framed as the documents are.
#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "platform/pictures/Metafile.h"
#include "platform/pictures/MetafileRecords.h"

namespace tal::pictures {

// Little-endian bytes: the parameters of one record, or a whole file.
class TRecordData {
public:
    TRecordData& U8(std::uint8_t v) {
        FData.push_back(v);
        return *this;
    }
    TRecordData& U16(std::uint16_t v) {
        FData.push_back(static_cast<std::uint8_t>(v));
        FData.push_back(static_cast<std::uint8_t>(v >> 8));
        return *this;
    }
    TRecordData& I16(std::int16_t v) { return U16(static_cast<std::uint16_t>(v)); }
    TRecordData& U32(std::uint32_t v) {
        return U16(static_cast<std::uint16_t>(v)).U16(static_cast<std::uint16_t>(v >> 16));
    }
    TRecordData& I32(std::int32_t v) { return U32(static_cast<std::uint32_t>(v)); }
    TRecordData& F32(float v);
    TRecordData& Bytes(const std::uint8_t* data, std::size_t size) {
        FData.insert(FData.end(), data, data + size);
        return *this;
    }
    TRecordData& Bytes(const std::vector<std::uint8_t>& bytes) { return Bytes(bytes.data(), bytes.size()); }
    TRecordData& Bytes(std::string_view bytes);
    // Zero bytes up to a multiple of alignment.
    TRecordData& Pad(std::size_t alignment) {
        while (FData.size() % alignment != 0) FData.push_back(0);
        return *this;
    }
    const std::vector<std::uint8_t>& Data() const { return FData; }
    // For moving the finished bytes out without a copy.
    std::vector<std::uint8_t>& Data() { return FData; }
    std::size_t Size() const { return FData.size(); }

private:
    std::vector<std::uint8_t> FData;
};

class TWmfWriter {
public:
    // A record with 16-bit parameters in stored order (many records store
    // their coordinates last-first: a rectangle as bottom, right, top, left).
    void Add(TWmf function, std::initializer_list<std::int16_t> words);
    void Add(TWmf function, const TRecordData& parameters);
    // A record copied as it stands, header included. Its size field must
    // give size in words, at least the 3 of the header: a record that
    // disagrees would throw off every record after it.
    void AddRaw(const std::uint8_t* record, std::size_t size);
    // Declares the object table size written into the header (at least the
    // number of objects alive at once).
    void SetObjectCount(std::uint16_t count) { FObjectCount = count; }
    // The finished file: an optional placeable header with box and units per
    // inch, the metafile header, the records and META_EOF.
    std::vector<std::uint8_t> Finish(bool placeable, TIntRect box = {}, std::uint16_t inch = 1440) const;

private:
    TRecordData FRecords;
    std::uint32_t FMaxRecordWords = 3;  // META_EOF
    std::uint16_t FObjectCount = 0;
};

// The reference device written into an enhanced metafile's header: the
// player maps logical units through it.
struct TEmfDevice {
    std::int32_t PixelsX = 1920, PixelsY = 1080;
    std::int32_t MillimetersX = 508, MillimetersY = 286;
    std::int32_t MicrometersX = 508'000, MicrometersY = 286'000;
};

class TEmfWriter {
public:
    void Add(TEmr type, const TRecordData& parameters);
    // A record copied as it stands, header included. Its size field must
    // give size, a multiple of 4 and at least the 8 of the header.
    void AddRaw(const std::uint8_t* record, std::size_t size);
    void SetHandles(std::uint16_t handles) { FHandles = handles; }
    // The finished file: EMR_HEADER with bounds (device units), frame
    // (0.01 mm) and the reference device, the records and EMR_EOF. This form
    // gives the device's size in micrometres as its millimetres times 1000.
    std::vector<std::uint8_t> Finish(TIntRect bounds, TIntRect frame, std::int32_t devicePixelsX = 1920,
                                     std::int32_t devicePixelsY = 1080, std::int32_t deviceMmX = 508,
                                     std::int32_t deviceMmY = 286) const;
    std::vector<std::uint8_t> Finish(TIntRect bounds, TIntRect frame, const TEmfDevice& device) const;

private:
    TRecordData FRecords;
    std::uint32_t FCount = 0;
    std::uint16_t FHandles = 1;
};

}  // namespace tal::pictures
