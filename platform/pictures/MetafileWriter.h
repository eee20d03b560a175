#pragma once
// Writing Windows and enhanced metafiles record by record, with the record
// definitions the reader uses. The writer keeps the framing right (sizes,
// header counts, the closing record); the caller gives each record's
// parameters in stored order.
#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "platform/pictures/Metafile.h"
#include "platform/pictures/MetafileRecords.h"

namespace tal::pictures {

// Parameter bytes of one record, little-endian.
class TRecordData {
public:
    TRecordData& U8(std::uint8_t v);
    TRecordData& U16(std::uint16_t v);
    TRecordData& I16(std::int16_t v) { return U16(static_cast<std::uint16_t>(v)); }
    TRecordData& U32(std::uint32_t v);
    TRecordData& I32(std::int32_t v) { return U32(static_cast<std::uint32_t>(v)); }
    TRecordData& F32(float v);
    TRecordData& Bytes(const std::vector<std::uint8_t>& bytes);
    TRecordData& Bytes(std::string_view bytes);
    // Zero bytes up to a multiple of alignment.
    TRecordData& Pad(std::size_t alignment);
    const std::vector<std::uint8_t>& Data() const { return FData; }
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
    // Declares the object table size written into the header (at least the
    // number of objects alive at once).
    void SetObjectCount(std::uint16_t count) { FObjectCount = count; }
    // The finished file: an optional placeable header with box and units per
    // inch, the metafile header, the records and META_EOF.
    std::vector<std::uint8_t> Finish(bool placeable, TIntRect box = {}, std::uint16_t inch = 1440) const;

private:
    std::vector<std::uint8_t> FRecords;
    std::uint32_t FMaxRecordWords = 3;
    std::uint16_t FObjectCount = 0;
};

class TEmfWriter {
public:
    void Add(TEmr type, const TRecordData& parameters);
    void SetHandles(std::uint16_t handles) { FHandles = handles; }
    // The finished file: EMR_HEADER with bounds (device units), frame
    // (0.01 mm) and the reference device, the records and EMR_EOF.
    std::vector<std::uint8_t> Finish(TIntRect bounds, TIntRect frame, std::int32_t devicePixelsX = 1920,
                                     std::int32_t devicePixelsY = 1080, std::int32_t deviceMmX = 508,
                                     std::int32_t deviceMmY = 286) const;

private:
    std::vector<std::uint8_t> FRecords;
    std::uint32_t FCount = 0;
    std::uint16_t FHandles = 1;
};

}  // namespace tal::pictures
