#include "platform/desktop/X11Connection.h"

#include <cstring>
#include <stdexcept>

#include <poll.h>

namespace tavero::x11 {

namespace {
// Longest property we read, in 32-bit units: enough for a client list of
// thousands of windows or a long title.
constexpr uint32_t maxPropertyLength = 1 << 16;
}  // namespace

Connection::Connection() {
    int screenNumber = 0;
    connection_ = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection_)) {
        xcb_disconnect(connection_);
        throw std::runtime_error("cannot open the X display");
    }
    auto roots = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int index = 0; roots.rem && index < screenNumber; ++index) xcb_screen_next(&roots);
    screen_ = roots.data;
    if (!screen_) {
        xcb_disconnect(connection_);
        throw std::runtime_error("the X display has no screen");
    }
}

Connection::~Connection() { xcb_disconnect(connection_); }

void Connection::check() const {
    if (xcb_connection_has_error(connection_)) throw std::runtime_error("the X connection is broken");
}

void Connection::discardEvents() const {
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) std::free(event);
}

bool Connection::has(xcb_extension_t* extension) const {
    const xcb_query_extension_reply_t* data = xcb_get_extension_data(connection_, extension);
    return data && data->present;
}

Connection::Woken Connection::wait(std::chrono::steady_clock::time_point deadline, int other) const {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return Woken::deadline;
    pollfd descriptors[2] = {{xcb_get_file_descriptor(connection_), POLLIN, 0}, {other, POLLIN, 0}};
    const int ready = poll(descriptors, other >= 0 ? 2 : 1, int(left.count()));
    if (ready <= 0) return Woken::deadline;
    if (other >= 0 && descriptors[1].revents) return Woken::other;
    return Woken::server;
}

xcb_atom_t Connection::atom(const char* name) {
    std::lock_guard guard(atomsLock_);
    if (auto found = atoms_.find(name); found != atoms_.end()) return found->second;
    auto reply = take(xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 0, uint16_t(std::strlen(name)), name), nullptr));
    const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    if (value != XCB_ATOM_NONE) atoms_.emplace(name, value);
    return value;
}

Reply<xcb_get_property_reply_t> Connection::property(xcb_window_t window, xcb_atom_t property, xcb_atom_t type) {
    return take(xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, window, property, type, 0, maxPropertyLength), nullptr));
}

QList<quint32> Connection::cardinals(xcb_window_t window, const char* name, xcb_atom_t type) {
    QList<quint32> values;
    auto reply = property(window, atom(name), type);
    if (!reply || reply->format != 32 || reply->type != type) return values;
    const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    values.reserve(count);
    for (int index = 0; index < count; ++index) values.append(data[index]);
    return values;
}

std::optional<quint32> Connection::cardinal(xcb_window_t window, const char* name, xcb_atom_t type) {
    const QList<quint32> values = cardinals(window, name, type);
    if (values.isEmpty()) return std::nullopt;
    return values.first();
}

QList<xcb_atom_t> Connection::atoms(xcb_window_t window, const char* name) {
    return cardinals(window, name, XCB_ATOM_ATOM);
}

QString Connection::text(xcb_window_t window, const char* name) {
    const xcb_atom_t utf8 = atom("UTF8_STRING");
    auto reply = property(window, atom(name), XCB_GET_PROPERTY_TYPE_ANY);
    if (!reply || reply->format != 8) return {};
    const auto* data = static_cast<const char*>(xcb_get_property_value(reply.get()));
    const int length = xcb_get_property_value_length(reply.get());
    if (reply->type == utf8) return QString::fromUtf8(data, length);
    return QString::fromLatin1(data, length);
}

}  // namespace tavero::x11
