// The floor under TalRTF's benchmark: what putting a document of the same
// size on the disk costs however it is made. It fills SIZE bytes of fresh
// memory in 4 MiB blocks (as TalRTF's body is held), writes them to a new
// file beside OUT, puts it on the disk and renames it into place, as the
// engines finish a document. No conversion at all happens.
//
//   rtf_write_floor OUT SIZE
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::size_t BlockSize = std::size_t {4} << 20;

struct TUnmap {
    void operator()(char* start) const { ::munmap(start, BlockSize); }
};
using TBlock = std::unique_ptr<char, TUnmap>;

TBlock NewBlock() {
    void* start = ::mmap(nullptr, BlockSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (start == MAP_FAILED) {
        std::perror("mmap");
        std::exit(1);
    }
    ::madvise(start, BlockSize, MADV_HUGEPAGE);
    return TBlock(static_cast<char*>(start));
}

bool WriteAll(int file, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(file, data, size);
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const long long size = argc == 3 ? std::atoll(argv[2]) : -1;
    if (size < 0) {
        std::fprintf(stderr, "usage: rtf_write_floor OUT SIZE\n");
        return 2;
    }
    const std::string target = argv[1], temporary = target + ".floor";
    std::vector<TBlock> blocks;
    for (long long left = size; left > 0; left -= static_cast<long long>(BlockSize)) {
        blocks.push_back(NewBlock());
        std::memset(blocks.back().get(), '{', std::min<long long>(left, BlockSize));
    }
    const int file = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (file < 0) {
        std::perror(temporary.c_str());
        return 1;
    }
    long long left = size;
    bool ok = true;
    for (const TBlock& block : blocks) {
        const auto part = static_cast<std::size_t>(std::min<long long>(left, BlockSize));
        ok = ok && WriteAll(file, block.get(), part);
        left -= static_cast<long long>(part);
    }
    ok = ok && ::fsync(file) == 0;
    ok = ::close(file) == 0 && ok;
    ok = ok && std::rename(temporary.c_str(), target.c_str()) == 0;
    const std::string folder = target.find('/') == std::string::npos ? "." : target.substr(0, target.rfind('/') + 1);
    const int directory = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory >= 0) {
        ok = ::fsync(directory) == 0 && ok;
        ::close(directory);
    }
    if (!ok) std::perror(target.c_str());
    return ok ? 0 : 1;
}
