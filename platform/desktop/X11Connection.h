#pragma once

#include <QList>
#include <QString>

#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace tavero::x11 {

// xcb hands out replies allocated with malloc; they are ours to free.
struct FreeDeleter {
    void operator()(void* pointer) const { std::free(pointer); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeDeleter>;

template <typename T>
Reply<T> take(T* raw) {
    return Reply<T>(raw);
}

// The server serves no other client while it lasts; the ungrab goes out
// at once.
class ServerGrab {
public:
    explicit ServerGrab(xcb_connection_t* connection) : connection_(connection) { xcb_grab_server(connection_); }
    ~ServerGrab() {
        xcb_ungrab_server(connection_);
        xcb_flush(connection_);
    }
    ServerGrab(const ServerGrab&) = delete;
    ServerGrab& operator=(const ServerGrab&) = delete;

private:
    xcb_connection_t* connection_;
};

// Our own connection to the X server named by $DISPLAY, separate from Qt's so
// it can be used from worker threads (xcb is thread-safe). Owns the
// connection and a cache of interned atoms; any thread.
class Connection {
public:
    // Throws std::runtime_error when no display can be opened.
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    xcb_connection_t* get() const { return connection_; }
    xcb_screen_t* screen() const { return screen_; }
    xcb_window_t root() const { return screen_->root; }

    // Throws std::runtime_error once the server has gone away.
    void check() const;
    // Drops the errors of requests whose failure we handle by their result.
    void discardEvents() const;

    // Whether the server has the extension; requests of a missing extension
    // would close the connection.
    bool has(xcb_extension_t* extension) const;

    // What ended a wait().
    enum class Woken { server, other, deadline };
    // Blocks until the server sends something, `other` (a descriptor, or -1)
    // becomes readable, or `deadline` passes. Call it once xcb's queue is
    // empty (xcb_poll_for_event gave nothing): events xcb has already read
    // wake nothing.
    Woken wait(std::chrono::steady_clock::time_point deadline, int other = -1) const;

    xcb_atom_t atom(const char* name);

    // Window properties: 32-bit values, a list of them, or text (UTF-8 or Latin-1).
    std::optional<quint32> cardinal(xcb_window_t window, const char* property, xcb_atom_t type);
    QList<quint32> cardinals(xcb_window_t window, const char* property, xcb_atom_t type);
    QList<xcb_atom_t> atoms(xcb_window_t window, const char* property);
    QString text(xcb_window_t window, const char* property);

private:
    Reply<xcb_get_property_reply_t> property(xcb_window_t window, xcb_atom_t property, xcb_atom_t type);

    xcb_connection_t* connection_ = nullptr;
    xcb_screen_t* screen_ = nullptr;
    std::mutex atomsLock_;
    std::map<std::string, xcb_atom_t> atoms_;
};

}  // namespace tavero::x11
