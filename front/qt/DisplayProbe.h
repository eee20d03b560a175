#pragma once
// Whether QApplication can start here. Qt gives up on a display it cannot
// reach with qFatal, which aborts the process, so the engines ask first and
// keep to their terminal dialogs when no display answers.
#include <memory>
#include <string>

struct xcb_connection_t;

namespace tal::front::qt {

struct TXcbDisconnect {
    void operator()(xcb_connection_t* connection) const;
};
using TXConnection = std::unique_ptr<xcb_connection_t, TXcbDisconnect>;

struct TDisplayProbe {
    bool Reachable = false;
    // When not reachable although the environment names a display: one
    // line for the user saying why. Empty when nothing names a display.
    std::string Why;
    // The X connection that answered, to be kept until Qt has made its own:
    // an X server left without clients resets (Xvfb under xvfb-run does) and
    // refuses connections meanwhile, so closing it at once could make
    // QApplication fail after all.
    TXConnection HeldX;
};

// Reads QT_QPA_PLATFORM, WAYLAND_DISPLAY, XDG_SESSION_TYPE, XDG_RUNTIME_DIR
// and DISPLAY the way Qt does and tries the servers they name in Qt's order.
TDisplayProbe ProbeDisplay();

// A connection to this X display name (":0", "host:1.0"); empty when no
// server accepts one.
TXConnection ConnectX(const std::string& display);

// Something listens on this unix socket.
bool UnixSocketAnswers(const std::string& path);

// Qt's Wayland platform comes in a package of its own (qt6-wayland), so a
// live compositor is of no use without it.
bool WaylandPlatformInstalled();

}  // namespace tal::front::qt
