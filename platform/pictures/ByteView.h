#pragma once
// A bounded view of outside bytes. Every read names its offset and is checked
// against the bytes really there, so a parser can never step past its input;
// a failed check raises EInvalidGraphic with the picture kind in the message.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/Exception.h"

namespace tal::pictures {

class TByteView {
public:
    TByteView() = default;
    TByteView(const std::uint8_t* data, std::size_t size, const char* kind)
        : FData(data), FSize(data ? size : 0), FKind(kind) {}

    const std::uint8_t* Data() const { return FData; }
    std::size_t Size() const { return FSize; }
    const char* Kind() const { return FKind; }

    // True when [offset, offset + count) lies inside the view.
    bool Has(std::size_t offset, std::size_t count) const {
        return offset <= FSize && count <= FSize - offset;
    }
    void Require(std::size_t offset, std::size_t count, const char* what) const {
        if (!Has(offset, count))
            Fail(std::string(what) + " runs past the end of the data (needs " + std::to_string(count) +
                 " bytes at offset " + std::to_string(offset) + ", " + std::to_string(FSize) + " there)");
    }
    // The part [offset, offset + count), checked.
    TByteView Sub(std::size_t offset, std::size_t count, const char* what) const {
        Require(offset, count, what);
        return TByteView(FData + offset, count, FKind);
    }
    TByteView From(std::size_t offset, const char* what) const {
        Require(offset, 0, what);
        return TByteView(FData + offset, FSize - offset, FKind);
    }

    std::uint8_t U8(std::size_t offset) const {
        Require(offset, 1, "a field");
        return FData[offset];
    }
    std::uint16_t U16(std::size_t offset) const {
        Require(offset, 2, "a field");
        return static_cast<std::uint16_t>(FData[offset] | (FData[offset + 1] << 8));
    }
    std::int16_t I16(std::size_t offset) const { return static_cast<std::int16_t>(U16(offset)); }
    std::uint32_t U32(std::size_t offset) const {
        Require(offset, 4, "a field");
        return static_cast<std::uint32_t>(FData[offset]) | (static_cast<std::uint32_t>(FData[offset + 1]) << 8) |
               (static_cast<std::uint32_t>(FData[offset + 2]) << 16) |
               (static_cast<std::uint32_t>(FData[offset + 3]) << 24);
    }
    std::int32_t I32(std::size_t offset) const { return static_cast<std::int32_t>(U32(offset)); }
    float F32(std::size_t offset) const {
        const std::uint32_t bits = U32(offset);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    [[noreturn]] void Fail(const std::string& detail) const {
        throw EInvalidGraphic(std::string(FKind ? FKind : "Picture") + ": " + detail);
    }

private:
    const std::uint8_t* FData = nullptr;
    std::size_t FSize = 0;
    const char* FKind = nullptr;
};

}  // namespace tal::pictures
