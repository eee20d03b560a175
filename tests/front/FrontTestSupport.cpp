#include "tests/front/FrontTestSupport.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "tools/ndrwriter/NdrWriter.h"

namespace tal::front::testing {

TTempFolder::TTempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "talfront-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
    FPath = pattern;
}

TTempFolder::~TTempFolder() {
    std::error_code ignored;
    // A test may have made a folder read-only; give it back before removing.
    std::filesystem::permissions(FPath, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(FPath, ignored);
}

std::vector<std::uint8_t> GoodReport(int pages) {
    ndrwriter::TNdrWriter writer;
    for (int i = 1; i <= pages; ++i) {
        writer.BeginPage(static_cast<std::int16_t>(i));
        writer.Rectangle(1, 1, 2, 2);
        writer.EndPage();
    }
    return writer.Finish();
}

std::vector<std::uint8_t> MalformedReport() { return {0x41, 0x42, 0x43}; }

std::vector<std::uint8_t> BrokenSecondPageReport() {
    ndrwriter::TNdrWriter writer;
    writer.BeginPage(1);
    writer.Rectangle(1, 1, 2, 2);
    writer.EndPage();
    writer.BeginPage(2);
    writer.Byte(44);  // no command has this code
    return writer.Finish();
}

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

void WriteFile(const std::string& path, const std::string& text) {
    WriteFile(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TCurrentFolder::TCurrentFolder(const std::filesystem::path& folder) : FSaved(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
}

TCurrentFolder::~TCurrentFolder() {
    std::error_code ignored;
    std::filesystem::current_path(FSaved, ignored);
}

TEnvironmentVariable::TEnvironmentVariable(std::string name, const std::optional<std::string>& value)
    : FName(std::move(name)) {
    if (const char* saved = std::getenv(FName.c_str())) FSaved = saved;
    if (value)
        ::setenv(FName.c_str(), value->c_str(), 1);
    else
        ::unsetenv(FName.c_str());
}

TEnvironmentVariable::~TEnvironmentVariable() {
    if (FSaved)
        ::setenv(FName.c_str(), FSaved->c_str(), 1);
    else
        ::unsetenv(FName.c_str());
}

std::string UnusedXDisplay() {
    for (int number = 987;; ++number) {
        const std::string digits = std::to_string(number);
        if (!std::filesystem::exists("/tmp/.X11-unix/X" + digits) && !std::filesystem::exists("/tmp/.X" + digits + "-lock"))
            return ":" + digits;
    }
}

}  // namespace tal::front::testing
