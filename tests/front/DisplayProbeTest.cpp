// Whether the Qt dialogs may start: the platforms Qt trusts without a
// server, X displays and Wayland sockets that answer or do not.
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

#include "front/qt/DisplayProbe.h"
#include "tests/front/FrontTestSupport.h"

namespace tal::front::testing {
namespace {

using qt::ProbeDisplay;

std::string Refusal(const std::string& places) {
    return "No display answers at " + places + "; using the terminal dialogs.";
}

// A unix socket bound at a path; listening makes it a stand-in for a
// compositor, closing it leaves the stale file a crashed one leaves.
class TUnixSocket {
public:
    explicit TUnixSocket(const std::string& path) : FPath(path) {
        FDescriptor = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        if (FDescriptor < 0 || path.size() >= sizeof(address.sun_path)) throw std::runtime_error("no socket");
        std::memcpy(address.sun_path, path.data(), path.size());
        if (::bind(FDescriptor, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0)
            throw std::runtime_error("cannot bind " + path);
    }
    ~TUnixSocket() {
        Close();
        std::filesystem::remove(FPath);
    }
    TUnixSocket(const TUnixSocket&) = delete;
    TUnixSocket& operator=(const TUnixSocket&) = delete;

    void Listen() { ASSERT_EQ(::listen(FDescriptor, 4), 0); }
    void Close() {
        if (FDescriptor >= 0) ::close(FDescriptor);
        FDescriptor = -1;
    }

private:
    std::string FPath;
    int FDescriptor = -1;
};

// The environment of a session in which nothing names a display, with the
// runtime folder in a fresh temporary folder.
class DisplayProbeTest : public ::testing::Test {
protected:
    TTempFolder Runtime;
    TEnvironmentVariable Platform {"QT_QPA_PLATFORM", std::nullopt};
    TEnvironmentVariable Wayland {"WAYLAND_DISPLAY", std::nullopt};
    TEnvironmentVariable X {"DISPLAY", std::nullopt};
    TEnvironmentVariable Session {"XDG_SESSION_TYPE", std::nullopt};
    TEnvironmentVariable RuntimeFolder {"XDG_RUNTIME_DIR", Runtime.Str()};
};

TEST_F(DisplayProbeTest, NothingNamedMeansNoDisplayAndNothingToSay) {
    const auto probe = ProbeDisplay();
    EXPECT_FALSE(probe.Reachable);
    EXPECT_EQ(probe.Why, "");
}

TEST_F(DisplayProbeTest, PlatformsWithoutAServerAreTrusted) {
    const TEnvironmentVariable x("DISPLAY", UnusedXDisplay());
    for (const char* platform : {"offscreen", "minimal", "offscreen:fontengine=freetype", "xcb;offscreen", ";minimal"}) {
        const TEnvironmentVariable named("QT_QPA_PLATFORM", platform);
        const auto probe = ProbeDisplay();
        EXPECT_TRUE(probe.Reachable) << platform;
        EXPECT_EQ(probe.Why, "") << platform;
    }
    const TEnvironmentVariable empty("QT_QPA_PLATFORM", ";");
    EXPECT_FALSE(ProbeDisplay().Reachable);
    EXPECT_EQ(ProbeDisplay().Why, "QT_QPA_PLATFORM=\";\" names no platform; using the terminal dialogs.");
}

TEST_F(DisplayProbeTest, AnXDisplayNobodyServesIsRefusedByName) {
    const std::string display = UnusedXDisplay();
    EXPECT_FALSE(qt::ConnectX(display));
    EXPECT_FALSE(qt::ConnectX(""));
    EXPECT_FALSE(qt::ConnectX("not a display"));

    const TEnvironmentVariable x("DISPLAY", display);
    EXPECT_FALSE(ProbeDisplay().Reachable);
    EXPECT_EQ(ProbeDisplay().Why, Refusal(display));
    {
        const TEnvironmentVariable named("QT_QPA_PLATFORM", "xcb");
        EXPECT_FALSE(ProbeDisplay().Reachable);
        EXPECT_EQ(ProbeDisplay().Why, Refusal(display));
    }
    const TEnvironmentVariable unset("DISPLAY", std::nullopt);
    const TEnvironmentVariable named("QT_QPA_PLATFORM", "xcb");
    EXPECT_FALSE(ProbeDisplay().Reachable);
    EXPECT_EQ(ProbeDisplay().Why, Refusal("an X display (DISPLAY is not set)"));
}

TEST_F(DisplayProbeTest, AWaylandSocketNobodyListensOnIsRefusedByName) {
    // No file at all, relative to the runtime folder and absolute.
    const TEnvironmentVariable wayland("WAYLAND_DISPLAY", "wayland-test");
    EXPECT_FALSE(ProbeDisplay().Reachable);
    EXPECT_EQ(ProbeDisplay().Why, Refusal("wayland-test"));
    {
        const TEnvironmentVariable absolute("WAYLAND_DISPLAY", Runtime / "wayland-gone");
        EXPECT_EQ(ProbeDisplay().Why, Refusal(Runtime / "wayland-gone"));
    }
    // A compositor that crashed leaves its socket file behind.
    {
        TUnixSocket stale(Runtime / "wayland-test");
        stale.Close();
        EXPECT_FALSE(qt::UnixSocketAnswers(Runtime / "wayland-test"));
        EXPECT_FALSE(ProbeDisplay().Reachable);
        EXPECT_EQ(ProbeDisplay().Why, Refusal("wayland-test"));
    }
    // Without a runtime folder libwayland has nowhere to look.
    {
        TUnixSocket live(Runtime / "wayland-test");
        live.Listen();
        const TEnvironmentVariable noRuntime("XDG_RUNTIME_DIR", std::nullopt);
        EXPECT_FALSE(ProbeDisplay().Reachable);
        EXPECT_EQ(ProbeDisplay().Why, Refusal("wayland-test"));
    }
    // Qt goes on to X when Wayland fails; both are named when neither answers.
    const std::string display = UnusedXDisplay();
    const TEnvironmentVariable x("DISPLAY", display);
    EXPECT_EQ(ProbeDisplay().Why, Refusal("wayland-test or " + display));
    // Asked for by name, Wayland without WAYLAND_DISPLAY is libwayland's wayland-0.
    const TEnvironmentVariable unset("WAYLAND_DISPLAY", std::nullopt);
    const TEnvironmentVariable named("QT_QPA_PLATFORM", "wayland");
    EXPECT_EQ(ProbeDisplay().Why, Refusal("wayland-0"));
}

TEST_F(DisplayProbeTest, AListeningWaylandSocketCountsOnlyWhereQtHasItsWaylandPlugin) {
    TUnixSocket live(Runtime / "wayland-live");
    live.Listen();
    EXPECT_TRUE(qt::UnixSocketAnswers(Runtime / "wayland-live"));
    EXPECT_FALSE(qt::UnixSocketAnswers(Runtime / "wayland-none"));
    EXPECT_FALSE(qt::UnixSocketAnswers(std::string(200, 'w')));

    const TEnvironmentVariable wayland("WAYLAND_DISPLAY", "wayland-live");
    const TTempFolder plugins;
    {
        // Nowhere Qt looks has the plugin (unless the system has it).
        const TEnvironmentVariable pluginPath("QT_PLUGIN_PATH", plugins.Str());
        const auto probe = ProbeDisplay();
        EXPECT_EQ(probe.Reachable, qt::WaylandPlatformInstalled());
        if (!probe.Reachable) {
            EXPECT_EQ(probe.Why, Refusal("wayland-live (Qt has no Wayland platform plugin)"));
        }
    }
    std::filesystem::create_directory(plugins.Path() / "platforms");
    WriteFile(plugins / "platforms/libqwayland-generic.so", std::string());
    for (const std::string& pluginPath : {plugins.Str(), "/nowhere:" + plugins.Str() + ":"}) {
        const TEnvironmentVariable found("QT_PLUGIN_PATH", pluginPath);
        EXPECT_TRUE(qt::WaylandPlatformInstalled()) << pluginPath;
        EXPECT_TRUE(ProbeDisplay().Reachable) << pluginPath;
    }
    const TEnvironmentVariable platformFolder("QT_QPA_PLATFORM_PLUGIN_PATH", plugins / "platforms");
    EXPECT_TRUE(qt::WaylandPlatformInstalled());
    const TEnvironmentVariable named("QT_QPA_PLATFORM", "wayland-egl");
    EXPECT_TRUE(ProbeDisplay().Reachable);
}

// An Xvfb of the test's own, on a display it picks itself (-displayfd), so
// that no other server or test is in the way. It resets whenever its last
// client goes, as under xvfb-run.
class TXvfb {
public:
    TXvfb() {
        int pipe[2];
        if (::pipe2(pipe, O_CLOEXEC) != 0) throw std::runtime_error("no pipe");
        FChild = ::fork();
        if (FChild == 0) {
            ::dup2(pipe[1], 3);  // dup2 clears close-on-exec on the copy
            const int null = ::open("/dev/null", O_RDWR);
            ::dup2(null, STDIN_FILENO);
            ::dup2(null, STDOUT_FILENO);
            ::dup2(null, STDERR_FILENO);
            ::execlp("Xvfb", "Xvfb", "-displayfd", "3", "-nolisten", "tcp", "-screen", "0", "320x240x24",
                     static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(pipe[1]);
        // Xvfb writes its display number once it accepts clients.
        std::string number;
        pollfd ready {pipe[0], POLLIN, 0};
        char c = 0;
        while (::poll(&ready, 1, 20000) == 1 && ::read(pipe[0], &c, 1) == 1 && c != '\n') number += c;
        ::close(pipe[0]);
        if (!number.empty()) FDisplay = ":" + number;
    }
    ~TXvfb() { Stop(); }
    TXvfb(const TXvfb&) = delete;
    TXvfb& operator=(const TXvfb&) = delete;

    const std::string& Display() const { return FDisplay; }
    void Stop() {
        if (FChild <= 0) return;
        ::kill(FChild, SIGTERM);
        ::waitpid(FChild, nullptr, 0);
        FChild = -1;
    }

private:
    pid_t FChild = -1;
    std::string FDisplay;
};

TEST_F(DisplayProbeTest, ARunningXvfbAnswersAndOneThatHasGoneDoesNot) {
    if (std::system("command -v Xvfb >/dev/null 2>&1") != 0) GTEST_SKIP() << "Xvfb is not installed";
    TXvfb server;
    ASSERT_FALSE(server.Display().empty()) << "Xvfb did not start";
    const TEnvironmentVariable x("DISPLAY", server.Display());
    const auto probe = ProbeDisplay();
    ASSERT_TRUE(probe.Reachable);
    EXPECT_TRUE(probe.HeldX);
    EXPECT_EQ(probe.Why, "");

    // The probe still holds the server, so it does not reset under the
    // connections that follow, as QApplication's would right after it.
    for (int attempt = 0; attempt < 50; ++attempt) ASSERT_TRUE(qt::ConnectX(server.Display())) << attempt;
    {
        const TEnvironmentVariable named("QT_QPA_PLATFORM", "xcb");
        EXPECT_TRUE(ProbeDisplay().Reachable);
        // Wayland failing first still leaves X, as in Qt.
        const TEnvironmentVariable wayland("WAYLAND_DISPLAY", "wayland-none");
        const TEnvironmentVariable list("QT_QPA_PLATFORM", "wayland;xcb");
        EXPECT_TRUE(ProbeDisplay().Reachable);
        const TEnvironmentVariable automatic("QT_QPA_PLATFORM", std::nullopt);
        EXPECT_TRUE(ProbeDisplay().Reachable);
    }
    // Offscreen needs no server and so holds none.
    {
        const TEnvironmentVariable named("QT_QPA_PLATFORM", "offscreen");
        EXPECT_FALSE(ProbeDisplay().HeldX);
    }

    server.Stop();
    EXPECT_FALSE(qt::ConnectX(server.Display()));
    const auto gone = ProbeDisplay();
    EXPECT_FALSE(gone.Reachable);
    EXPECT_FALSE(gone.HeldX);
    EXPECT_EQ(gone.Why, Refusal(server.Display()));
}

}  // namespace
}  // namespace tal::front::testing
