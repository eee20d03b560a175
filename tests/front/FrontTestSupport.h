#pragma once
// Report files and folders for the front-end tests.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tal::front::testing {

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes.
class TTempFolder {
public:
    TTempFolder();
    ~TTempFolder();
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    const std::filesystem::path& Path() const { return FPath; }
    std::string operator/(const std::string& name) const { return (FPath / name).string(); }
    std::string Str() const { return FPath.string(); }

private:
    std::filesystem::path FPath;
};

// A report of the given number of pages, each with one rectangle.
std::vector<std::uint8_t> GoodReport(int pages = 1);
// A file whose first byte is no header code.
std::vector<std::uint8_t> MalformedReport();
// A report whose second page breaks off at an unknown command: its first
// page converts, and the document ends after it.
std::vector<std::uint8_t> BrokenSecondPageReport();

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes);
void WriteFile(const std::string& path, const std::string& text);
std::string ReadFile(const std::string& path);

// The folder a program is allowed to change to and back: restores the
// current folder when it goes.
class TCurrentFolder {
public:
    explicit TCurrentFolder(const std::filesystem::path& folder);
    ~TCurrentFolder();
    TCurrentFolder(const TCurrentFolder&) = delete;
    TCurrentFolder& operator=(const TCurrentFolder&) = delete;

private:
    std::filesystem::path FSaved;
};

// One environment variable as a test wants it (std::nullopt: unset); what
// was there before comes back when the object goes, since the engines read
// the environment and tests run one after another in one process by hand.
class TEnvironmentVariable {
public:
    TEnvironmentVariable(std::string name, const std::optional<std::string>& value);
    ~TEnvironmentVariable();
    TEnvironmentVariable(const TEnvironmentVariable&) = delete;
    TEnvironmentVariable& operator=(const TEnvironmentVariable&) = delete;

private:
    std::string FName;
    std::optional<std::string> FSaved;
};

// An X display name (":987" or above) with neither a socket nor a lock
// file, so no X server of this machine serves it.
std::string UnusedXDisplay();

}  // namespace tal::front::testing
