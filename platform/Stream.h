#pragma once
// Byte streams: an in-memory stream that can hold a whole report or a whole
// document, and a file stream. Reads that run past the end raise EReadError
// before anything is copied, so a caller never sees half a value.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Exception.h"

namespace tal {

class TStream {
public:
    virtual ~TStream() = default;

    // Copies up to count bytes to buffer and returns how many were copied.
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    // Appends or overwrites count bytes at the position; raises EWriteError on failure.
    virtual void Write(const void* buffer, std::size_t count) = 0;
    virtual std::int64_t Position() const = 0;
    // Moves to an absolute position; positions beyond the end are allowed
    // (a later read then fails), negative ones are not.
    virtual void SetPosition(std::int64_t position) = 0;
    virtual std::int64_t Size() const = 0;

    // Reads exactly count bytes or raises EReadError.
    void ReadBuffer(void* buffer, std::size_t count);
    void WriteBuffer(const void* buffer, std::size_t count) { Write(buffer, count); }
    void WriteString(std::string_view text) { Write(text.data(), text.size()); }
    std::int64_t Remaining() const;
    // Copies count bytes (all remaining bytes when count is negative) from source.
    void CopyFrom(TStream& source, std::int64_t count);
};

class TMemoryStream final : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<std::uint8_t> bytes) : FData(std::move(bytes)) { Settle(); }
    TMemoryStream(const TMemoryStream&) = delete;
    TMemoryStream& operator=(const TMemoryStream&) = delete;

    std::size_t Read(void* buffer, std::size_t count) override;
    void Write(const void* buffer, std::size_t count) override;
    std::int64_t Position() const override { return static_cast<std::int64_t>(FPosition); }
    void SetPosition(std::int64_t position) override;
    std::int64_t Size() const override { return static_cast<std::int64_t>(FLength); }

    void Clear();
    void Reserve(std::size_t bytes);
    void LoadFromFile(const std::string& fileName);
    void SaveToStream(TStream& target) const;

    // Reads exactly count bytes or raises EReadError; inline for the report
    // reader, which reads millions of small values.
    void ReadExact(void* buffer, std::size_t count) {
        if (FPosition > FLength || FLength - FPosition < count) throw EReadError();
        if (count) __builtin_memcpy(buffer, FBegin + FPosition, count);
        FPosition += count;
    }

    const std::uint8_t* Data() const { return FBegin; }
    const std::vector<std::uint8_t>& Bytes() const;
    std::vector<std::uint8_t> TakeBytes();

private:
    // Points the view at the vector after it changed.
    void Settle() const {
        FBegin = FData.data();
        FLength = FData.size();
    }
    // Moves bytes loaded from a file into the vector.
    void Materialize() const;

    // A stream loaded from a file holds memory filled by one read and never
    // cleared before (a report can be hundreds of megabytes, and clearing
    // it cost as much as reading it); it becomes a vector only when one is
    // asked for or the stream is written to. Reads go through the view.
    mutable std::vector<std::uint8_t> FData;
    mutable std::unique_ptr<std::uint8_t[]> FLoaded;
    mutable const std::uint8_t* FBegin = nullptr;
    mutable std::size_t FLength = 0;
    std::size_t FPosition = 0;
};

class TFileStream final : public TStream {
public:
    enum class Mode {
        Create,      // create or empty the file, open it for writing
        ReadShared,  // open an existing file for reading; other readers may share it
    };
    TFileStream(const std::string& fileName, Mode mode);
    // Takes over a handle opened for writing; its errors name fileName.
    TFileStream(std::string fileName, int handle) : FFileName(std::move(fileName)), FHandle(handle) {}
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    std::size_t Read(void* buffer, std::size_t count) override;
    void Write(const void* buffer, std::size_t count) override;
    std::int64_t Position() const override;
    void SetPosition(std::int64_t position) override;
    std::int64_t Size() const override;

    const std::string& FileName() const { return FFileName; }
    int Handle() const { return FHandle; }
    // Waits until the written bytes are on the disk; raises EWriteError.
    void Sync();
    // Closes the file; raises EWriteError when the system reports that the
    // written bytes could not be kept. Later calls do nothing.
    void Close();

private:
    std::string FFileName;
    int FHandle = -1;
};

// File facilities the front ends and tools use.
bool FileExists(const std::string& fileName);
std::vector<std::uint8_t> ReadWholeFile(const std::string& fileName);

}  // namespace tal
