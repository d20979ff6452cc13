#include "platform/desktop/X11GlobalHotKeys.h"

#include "platform/desktop/X11Connection.h"
#include "platform/desktop/X11KeyMap.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QSocketNotifier>
#include <QTimer>

#include <xcb/xcb.h>

namespace tavero {

namespace {

struct TakenKey {
    quint32 identifier = 0;
    xcb_keycode_t keycode = 0;
    uint16_t modifiers = 0;
};

}  // namespace

struct X11GlobalHotKeys::Private {
    x11::Connection connection;
    x11::KeyMap keys{connection};
    QList<TakenKey> taken;
    Pressed pressed;
    std::unique_ptr<QSocketNotifier> notifier;
    QTimer drainSoon;
    // Auto-repeat: keys held down now, and when each was last released.
    QSet<xcb_keycode_t> held;
    QHash<xcb_keycode_t, xcb_timestamp_t> released;

    void drain();
    void keyPressed(const xcb_key_press_event_t& event);
    void keyReleased(const xcb_key_release_event_t& event);
    void ungrab(xcb_keycode_t keycode, uint16_t modifiers);
};

X11GlobalHotKeys::X11GlobalHotKeys() : d_(std::make_unique<Private>()) {
    xcb_connection_t* c = d_->connection.get();
    d_->notifier = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(c), QSocketNotifier::Read);
    QObject::connect(d_->notifier.get(), &QSocketNotifier::activated, d_->notifier.get(), [this] { d_->drain(); });
    // Replies read while grabbing can bring events along that the socket no
    // longer announces.
    d_->drainSoon.setSingleShot(true);
    d_->drainSoon.setInterval(0);
    QObject::connect(&d_->drainSoon, &QTimer::timeout, [this] { d_->drain(); });
}

X11GlobalHotKeys::~X11GlobalHotKeys() {
    d_->notifier.reset();
    for (const TakenKey& key : d_->taken) d_->ungrab(key.keycode, key.modifiers);
    xcb_flush(d_->connection.get());
}

void X11GlobalHotKeys::setPressed(Pressed pressed) { d_->pressed = std::move(pressed); }

bool X11GlobalHotKeys::grab(quint32 identifier, QChar key, Qt::KeyboardModifiers modifiers) {
    xcb_connection_t* c = d_->connection.get();
    const QList<xcb_keycode_t> keycodes = d_->keys.keycodes(key);
    // A broken connection reports no errors, so it would look like success.
    if (keycodes.isEmpty() || xcb_connection_has_error(c)) return false;
    const uint16_t mask = x11::KeyMap::modifierMask(modifiers);
    QList<xcb_void_cookie_t> cookies;
    for (xcb_keycode_t keycode : keycodes)
        for (uint16_t locks : d_->keys.lockVariants())
            cookies.append(xcb_grab_key_checked(c, 1, d_->connection.root(), mask | locks, keycode,
                                                XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    bool refused = false;
    for (xcb_void_cookie_t cookie : cookies)
        if (x11::Reply<xcb_generic_error_t> error = x11::take(xcb_request_check(c, cookie))) refused = true;
    refused = refused || xcb_connection_has_error(c);
    d_->drainSoon.start();
    // A combination is ours in every lock state or not at all: ungrabbing
    // touches only our own grabs, never the other program's.
    for (xcb_keycode_t keycode : keycodes) {
        if (refused) d_->ungrab(keycode, mask);
        else d_->taken.append({identifier, keycode, mask});
    }
    xcb_flush(c);
    return !refused;
}

void X11GlobalHotKeys::Private::ungrab(xcb_keycode_t keycode, uint16_t modifiers) {
    for (uint16_t locks : keys.lockVariants())
        xcb_ungrab_key(connection.get(), keycode, connection.root(), uint16_t(modifiers | locks));
}

void X11GlobalHotKeys::Private::drain() {
    xcb_connection_t* c = connection.get();
    if (xcb_connection_has_error(c)) {
        if (notifier) notifier->setEnabled(false);
        return;
    }
    while (x11::Reply<xcb_generic_event_t> event = x11::take(xcb_poll_for_event(c))) {
        switch (event->response_type & ~0x80) {
        case XCB_KEY_PRESS:
            keyPressed(*reinterpret_cast<const xcb_key_press_event_t*>(event.get()));
            break;
        case XCB_KEY_RELEASE:
            keyReleased(*reinterpret_cast<const xcb_key_release_event_t*>(event.get()));
            break;
        case XCB_MAPPING_NOTIFY:
            keys.reload();
            break;
        default:
            break;
        }
    }
}

// A held key repeats either as presses alone (detectable auto-repeat) or as
// a release and a press with the same time stamp; neither fires again.
void X11GlobalHotKeys::Private::keyPressed(const xcb_key_press_event_t& event) {
    const bool repeat = held.contains(event.detail) || released.value(event.detail, 0) == event.time;
    held.insert(event.detail);
    if (repeat) return;
    const uint16_t modifiers = event.state & ~keys.lockMask() & x11::KeyMap::chordMask;
    for (const TakenKey& key : taken) {
        if (key.keycode != event.detail || key.modifiers != modifiers) continue;
        if (pressed) pressed(key.identifier);
        return;
    }
}

void X11GlobalHotKeys::Private::keyReleased(const xcb_key_release_event_t& event) {
    held.remove(event.detail);
    released.insert(event.detail, event.time);
}

}  // namespace tavero
