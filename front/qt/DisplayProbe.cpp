#include "front/qt/DisplayProbe.h"

#include <QLibraryInfo>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <utility>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>

#include "front/qt/QtText.h"

namespace tal::front::qt {

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

class TSocket {
public:
    TSocket() : FDescriptor(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {}
    ~TSocket() {
        if (FDescriptor >= 0) ::close(FDescriptor);
    }
    TSocket(const TSocket&) = delete;
    TSocket& operator=(const TSocket&) = delete;

    int Descriptor() const { return FDescriptor; }

private:
    int FDescriptor;
};

// Where libwayland-client looks: WAYLAND_DISPLAY (wayland-0 when unset) in
// XDG_RUNTIME_DIR, unless the name is a path of its own. Empty when the
// name is relative and there is no runtime folder, as libwayland then fails.
std::string WaylandSocketPath(std::string& shownName) {
    std::string name = Environment("WAYLAND_DISPLAY");
    if (name.empty()) name = "wayland-0";
    shownName = name;
    if (name.front() == '/') return name;
    const std::string runtime = Environment("XDG_RUNTIME_DIR");
    if (runtime.empty()) return {};
    return runtime + "/" + name;
}

// The places tried without an answer, for the one line the user sees.
class TUnanswered {
public:
    void Add(std::string place) { FPlaces.push_back(std::move(place)); }
    bool Empty() const { return FPlaces.empty(); }
    std::string Why() const {
        std::string places;
        for (const auto& place : FPlaces) places += (places.empty() ? "" : " or ") + place;
        return "No display answers at " + places + "; using the terminal dialogs.";
    }

private:
    std::vector<std::string> FPlaces;
};

bool TryWayland(TUnanswered& unanswered) {
    std::string name;
    const std::string path = WaylandSocketPath(name);
    if (path.empty() || !UnixSocketAnswers(path)) {
        unanswered.Add(name);
        return false;
    }
    if (!WaylandPlatformInstalled()) {
        unanswered.Add(name + " (Qt has no Wayland platform plugin)");
        return false;
    }
    return true;
}

TXConnection TryX(TUnanswered& unanswered) {
    const std::string display = Environment("DISPLAY");
    TXConnection connection = ConnectX(display);
    if (!connection) unanswered.Add(display.empty() ? std::string("an X display (DISPLAY is not set)") : display);
    return connection;
}

TDisplayProbe Answered(TXConnection held = {}) { return {true, {}, std::move(held)}; }

}  // namespace

void TXcbDisconnect::operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }

TXConnection ConnectX(const std::string& display) {
    // An empty name would make xcb read DISPLAY itself.
    if (display.empty()) return {};
    TXConnection connection(xcb_connect(display.c_str(), nullptr));
    if (connection && xcb_connection_has_error(connection.get()) != 0) connection.reset();
    return connection;
}

bool UnixSocketAnswers(const std::string& path) {
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof(address.sun_path)) return false;
    std::memcpy(address.sun_path, path.data(), path.size());
    const TSocket socket;
    if (socket.Descriptor() < 0) return false;
    return ::connect(socket.Descriptor(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
}

bool WaylandPlatformInstalled() {
    namespace fs = std::filesystem;
    // Qt's own search order for platform plugins: the explicit folder, then
    // each plugin folder's platforms/, the program's folder among them.
    std::vector<fs::path> folders;
    if (const std::string explicitFolder = Environment("QT_QPA_PLATFORM_PLUGIN_PATH"); !explicitFolder.empty())
        folders.emplace_back(explicitFolder);
    const std::string pluginPath = Environment("QT_PLUGIN_PATH");
    for (std::size_t start = 0; start <= pluginPath.size();) {
        const std::size_t end = std::min(pluginPath.find(':', start), pluginPath.size());
        if (end > start) folders.push_back(fs::path(pluginPath.substr(start, end - start)) / "platforms");
        start = end + 1;
    }
    folders.push_back(fs::path(FromQt(QLibraryInfo::path(QLibraryInfo::PluginsPath))) / "platforms");
    std::error_code error;
    if (const fs::path program = fs::read_symlink("/proc/self/exe", error); !error)
        folders.push_back(program.parent_path() / "platforms");

    for (const auto& folder : folders) {
        for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
            const std::string file = entry->path().filename().string();
            if (file.starts_with("libqwayland") && file.ends_with(".so")) return true;
        }
        error.clear();
    }
    return false;
}

TDisplayProbe ProbeDisplay() {
    TUnanswered unanswered;
    const std::string platforms = Environment("QT_QPA_PLATFORM");
    if (!platforms.empty()) {
        // Qt tries the ";"-separated platforms in turn; ":" starts a
        // platform's own arguments.
        for (std::size_t start = 0; start <= platforms.size();) {
            const std::size_t end = std::min(platforms.find(';', start), platforms.size());
            const std::string_view entry = std::string_view(platforms).substr(start, end - start);
            const std::string_view name = entry.substr(0, entry.find(':'));
            start = end + 1;
            if (name.empty()) continue;
            if (name == "xcb") {
                if (auto x = TryX(unanswered)) return Answered(std::move(x));
            } else if (name.starts_with("wayland")) {
                if (TryWayland(unanswered)) return Answered();
            } else {
                // offscreen, minimal, vnc, eglfs, linuxfb: nothing to ask.
                return Answered();
            }
        }
        if (unanswered.Empty())
            return {false, "QT_QPA_PLATFORM=\"" + platforms + "\" names no platform; using the terminal dialogs.", {}};
        return {false, unanswered.Why(), {}};
    }

    // Without QT_QPA_PLATFORM Qt prefers Wayland where the session says so,
    // then falls back to X.
    if (!Environment("WAYLAND_DISPLAY").empty() || Environment("XDG_SESSION_TYPE") == "wayland") {
        if (TryWayland(unanswered)) return Answered();
    }
    if (!Environment("DISPLAY").empty()) {
        if (auto x = TryX(unanswered)) return Answered(std::move(x));
    }
    if (unanswered.Empty()) return {};
    return {false, unanswered.Why(), {}};
}

}  // namespace tal::front::qt
