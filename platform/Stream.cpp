#include "platform/Stream.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <utility>

namespace tal {

void TStream::ReadBuffer(void* buffer, std::size_t count) {
    if (count == 0) return;
    if (static_cast<std::uint64_t>(Remaining()) < count) throw EReadError();
    if (Read(buffer, count) != count) throw EReadError();
}

std::int64_t TStream::Remaining() const {
    const std::int64_t left = Size() - Position();
    return left > 0 ? left : 0;
}

void TStream::CopyFrom(TStream& source, std::int64_t count) {
    if (count < 0) count = source.Remaining();
    std::vector<std::uint8_t> chunk(static_cast<std::size_t>(std::min<std::int64_t>(count, 1 << 16)));
    while (count > 0) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(count, static_cast<std::int64_t>(chunk.size())));
        source.ReadBuffer(chunk.data(), n);
        Write(chunk.data(), n);
        count -= static_cast<std::int64_t>(n);
    }
}

namespace {

// A buffer of many megabytes is filled from end to end at once: in huge
// pages it takes a few page faults instead of one every 4 KB.
void AdviseHugePages(void* data, std::size_t size) {
    constexpr std::size_t Threshold = std::size_t {4} << 20;
    constexpr std::uintptr_t Page = 4096;
    if (size < Threshold) return;
    const auto begin = (reinterpret_cast<std::uintptr_t>(data) + Page - 1) & ~(Page - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + size) & ~(Page - 1);
    if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

}  // namespace

// ---- TMemoryStream ----

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
    if (FPosition >= FLength) return 0;
    const std::size_t n = std::min(count, FLength - FPosition);
    std::memcpy(buffer, FBegin + FPosition, n);
    FPosition += n;
    return n;
}

void TMemoryStream::Write(const void* buffer, std::size_t count) {
    if (count == 0) return;
    Materialize();
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    if (FPosition == FData.size()) {
        FData.insert(FData.end(), bytes, bytes + count);
    } else {
        if (FPosition + count > FData.size()) FData.resize(FPosition + count);
        std::memcpy(FData.data() + FPosition, bytes, count);
    }
    Settle();
    FPosition += count;
}

void TMemoryStream::SetPosition(std::int64_t position) {
    if (position < 0) throw EStreamError("Stream seek error");
    FPosition = static_cast<std::size_t>(position);
}

void TMemoryStream::Clear() {
    FLoaded.reset();
    FData.clear();
    Settle();
    FPosition = 0;
}

void TMemoryStream::Reserve(std::size_t bytes) {
    Materialize();
    FData.reserve(bytes);
    Settle();
}

void TMemoryStream::Materialize() const {
    if (!FLoaded) return;
    FData.assign(FBegin, FBegin + FLength);
    FLoaded.reset();
    Settle();
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
    TFileStream file(fileName, TFileStream::Mode::ReadShared);
    const auto size = static_cast<std::size_t>(file.Size());
    auto bytes = std::make_unique_for_overwrite<std::uint8_t[]>(size);
    AdviseHugePages(bytes.get(), size);
    if (size > 0) file.ReadBuffer(bytes.get(), size);
    Clear();
    std::vector<std::uint8_t>().swap(FData);
    if (size > 0) {
        FLoaded = std::move(bytes);
        FBegin = FLoaded.get();
        FLength = size;
    }
}

void TMemoryStream::SaveToStream(TStream& target) const {
    target.Write(FBegin, FLength);
}

const std::vector<std::uint8_t>& TMemoryStream::Bytes() const {
    Materialize();
    return FData;
}

std::vector<std::uint8_t> TMemoryStream::TakeBytes() {
    Materialize();
    FPosition = 0;
    std::vector<std::uint8_t> bytes = std::move(FData);
    FData.clear();
    Settle();
    return bytes;
}

// ---- TFileStream ----

namespace {

std::string ErrnoText() { return std::strerror(errno); }

}  // namespace

TFileStream::TFileStream(const std::string& fileName, Mode mode) : FFileName(fileName) {
    if (mode == Mode::Create) {
        FHandle = ::open(fileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (FHandle < 0) throw EFCreateError("Cannot create file \"" + fileName + "\". " + ErrnoText());
        return;
    }
    FHandle = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (FHandle < 0) throw EFOpenError("Cannot open file \"" + fileName + "\". " + ErrnoText());
    struct stat info {};
    if (::fstat(FHandle, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(FHandle);
        FHandle = -1;
        throw EFOpenError("Cannot open file \"" + fileName + "\". Is a directory");
    }
    // Other readers may share the file; a writer holding an exclusive lock may not.
    ::flock(FHandle, LOCK_SH | LOCK_NB);
}

TFileStream::~TFileStream() {
    if (FHandle >= 0) ::close(FHandle);
}

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::read(FHandle, out + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

void TFileStream::Write(const void* buffer, std::size_t count) {
    const auto* in = static_cast<const std::uint8_t*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(FHandle, in + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw EWriteError("Cannot write to file \"" + FFileName + "\". " + ErrnoText());
        done += static_cast<std::size_t>(n);
    }
}

void TFileStream::Sync() {
    if (FHandle >= 0 && ::fsync(FHandle) != 0)
        throw EWriteError("Cannot write to file \"" + FFileName + "\". " + ErrnoText());
}

void TFileStream::Close() {
    if (FHandle < 0) return;
    const int handle = std::exchange(FHandle, -1);
    if (::close(handle) != 0 && errno != EINTR)
        throw EWriteError("Cannot write to file \"" + FFileName + "\". " + ErrnoText());
}

std::int64_t TFileStream::Position() const { return ::lseek(FHandle, 0, SEEK_CUR); }

void TFileStream::SetPosition(std::int64_t position) {
    if (position < 0 || ::lseek(FHandle, position, SEEK_SET) < 0) throw EStreamError("Stream seek error");
}

std::int64_t TFileStream::Size() const {
    struct stat info {};
    if (::fstat(FHandle, &info) != 0) return 0;
    return info.st_size;
}

// ---- files ----

bool FileExists(const std::string& fileName) {
    if (fileName.empty()) return false;
    struct stat info {};
    return ::stat(fileName.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}


std::vector<std::uint8_t> ReadWholeFile(const std::string& fileName) {
    TFileStream file(fileName, TFileStream::Mode::ReadShared);
    const auto size = static_cast<std::size_t>(file.Size());
    std::vector<std::uint8_t> bytes;
    bytes.reserve(size);
    AdviseHugePages(bytes.data(), size);
    bytes.resize(size);
    if (!bytes.empty()) file.ReadBuffer(bytes.data(), bytes.size());
    return bytes;
}

}  // namespace tal
