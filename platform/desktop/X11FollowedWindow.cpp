#include "platform/desktop/X11FollowedWindow.h"

#include "platform/desktop/ScreenFeed.h"
#include "platform/desktop/X11Displays.h"
#include "platform/desktop/X11ImageGrabber.h"
#include "platform/desktop/X11Windows.h"

#include <QPainter>

#include <xcb/composite.h>
#include <xcb/damage.h>

#include <chrono>

namespace tavero::x11 {

namespace {

using Clock = std::chrono::steady_clock;

// How long an unmapped window has to say it was only iconified (its window
// manager may set WM_STATE just after the unmap).
constexpr auto unmapGrace = std::chrono::milliseconds(500);
constexpr quint32 iconicState = 3;

void selectStructure(xcb_connection_t* c, xcb_window_t window, bool select) {
    const uint32_t mask = select ? XCB_EVENT_MASK_STRUCTURE_NOTIFY : XCB_EVENT_MASK_NO_EVENT;
    xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &mask);
}

}  // namespace

FollowedWindow::FollowedWindow(Connection& connection, ImageGrabber& grabber, xcb_window_t client, bool composite,
                               std::optional<uint8_t> damageEvent)
    : connection_(connection),
      grabber_(grabber),
      client_(client),
      composite_(composite),
      damageEvent_(damageEvent),
      repaints_(connection, damageEvent) {
    selectStructure(connection_.get(), client_, true);
    follow();
    settle();
}

FollowedWindow::~FollowedWindow() {
    unwatch();
    selectStructure(connection_.get(), client_, false);
    xcb_flush(connection_.get());
}

void FollowedWindow::lose() {
    destroyed_ = true;
    throw PictureFeed::Lost(ScreenFeedLoss::windowClosed());
}

// Finds the top level holding the client and asks where it lies.
void FollowedWindow::follow() {
    const std::optional<xcb_window_t> topLevel = topLevelOf(connection_, client_);
    if (!topLevel) lose();
    if (*topLevel != topLevel_) {
        unwatch();
        watch(*topLevel);
    }
    xcb_connection_t* c = connection_.get();
    const auto geometryAsked = xcb_get_geometry(c, topLevel_);
    const auto attributesAsked = xcb_get_window_attributes(c, topLevel_);
    auto geometry = take(xcb_get_geometry_reply(c, geometryAsked, nullptr));
    auto attributes = take(xcb_get_window_attributes_reply(c, attributesAsked, nullptr));
    // A frame going away while the window manager lets the client go: the
    // events that follow tell where the client went.
    if (!geometry || !attributes) return;
    const int border = geometry->border_width;
    const QRect frame(geometry->x, geometry->y, geometry->width + 2 * border, geometry->height + 2 * border);
    const bool viewable = attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    if (frame.size() != frame_.size() || viewable != viewable_ || geometry->depth != depth_) freePixmap();
    frame_ = frame;
    origin_ = QPoint(geometry->x + border, geometry->y + border);
    depth_ = geometry->depth;
    viewable_ = viewable;
    if (!pixmap_) namePixmap();
    stale_ = false;
}

void FollowedWindow::watch(xcb_window_t topLevel) {
    xcb_connection_t* c = connection_.get();
    topLevel_ = topLevel;
    if (topLevel_ != client_) selectStructure(c, topLevel_, true);
    repaints_.redirect(
        [this, c] {
            if (!damageEvent_) return QList<uint32_t>();
            damage_ = xcb_generate_id(c);
            xcb_damage_create(c, damage_, topLevel_, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
            return QList<uint32_t>{damage_};
        },
        [this, c] {
            if (composite_) xcb_composite_redirect_window(c, topLevel_, XCB_COMPOSITE_REDIRECT_AUTOMATIC);
        },
        [this](const xcb_generic_event_t& event) { takeOwnEvent(event); });
}

// Errors for a top level already gone come back as events, which the feed
// passes over.
void FollowedWindow::unwatch() {
    if (topLevel_ == XCB_WINDOW_NONE) return;
    xcb_connection_t* c = connection_.get();
    freePixmap();
    if (damage_) {
        repaints_.forget(damage_);
        xcb_damage_destroy(c, damage_);
    }
    damage_ = 0;
    if (composite_) xcb_composite_unredirect_window(c, topLevel_, XCB_COMPOSITE_REDIRECT_AUTOMATIC);
    if (topLevel_ != client_) selectStructure(c, topLevel_, false);
    topLevel_ = XCB_WINDOW_NONE;
}

void FollowedWindow::namePixmap() {
    if (!composite_ || !viewable_) return;
    xcb_connection_t* c = connection_.get();
    const xcb_pixmap_t pixmap = xcb_generate_id(c);
    Reply<xcb_generic_error_t> error(
        xcb_request_check(c, xcb_composite_name_window_pixmap_checked(c, topLevel_, pixmap)));
    if (!error) pixmap_ = pixmap;
}

void FollowedWindow::freePixmap() {
    if (pixmap_) xcb_free_pixmap(connection_.get(), pixmap_);
    pixmap_ = XCB_PIXMAP_NONE;
}

// Just redirected, the window shows what covered it until it has answered
// the Expose; the first picture waits for that.
void FollowedWindow::settle() {
    if (!pixmap_ || !damageEvent_) return;
    const QList<TopLevel> stack = topLevelStack(connection_);
    QRegion hidden = QRegion(frame_).subtracted(rootArea(connection_));
    for (qsizetype index = 0; index < stack.size(); ++index)
        if (stack[index].id == topLevel_) hidden += coveredFromAbove(stack, index) & stack[index].shape;
    if (hidden.isEmpty()) return;
    repaints_.settle({{damage_, hidden.translated(-origin_)}},
                     [this](const xcb_generic_event_t& event) { takeOwnEvent(event); });
}

// Events read while redirecting or awaiting repaints, which the feed does
// not see: its only others, the pointer's changes of shape, show anyway in
// the picture being made.
void FollowedWindow::takeOwnEvent(const xcb_generic_event_t& event) {
    bool changed = false;
    takeEvent(event, changed);
}

bool FollowedWindow::takeEvent(const xcb_generic_event_t& event, bool& changed) {
    const int type = event.response_type & 0x7f;
    if (damageEvent_ && type == *damageEvent_ + XCB_DAMAGE_NOTIFY) {
        const auto& notify = reinterpret_cast<const xcb_damage_notify_event_t&>(event);
        if (notify.damage != damage_) return false;
        repaints_.drawn(damage_, QRect(notify.area.x, notify.area.y, notify.area.width, notify.area.height));
        changed = true;
        return true;
    }
    xcb_window_t window = XCB_WINDOW_NONE;
    switch (type) {
    case XCB_CONFIGURE_NOTIFY:
        window = reinterpret_cast<const xcb_configure_notify_event_t&>(event).window;
        break;
    case XCB_MAP_NOTIFY:
        window = reinterpret_cast<const xcb_map_notify_event_t&>(event).window;
        if (window == client_) unmappedAt_.reset();
        break;
    case XCB_UNMAP_NOTIFY:
        window = reinterpret_cast<const xcb_unmap_notify_event_t&>(event).window;
        if (window == client_) unmappedAt_ = Clock::now();
        break;
    case XCB_DESTROY_NOTIFY:
        window = reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window;
        if (window == client_) destroyed_ = true;
        break;
    case XCB_REPARENT_NOTIFY:
        window = reinterpret_cast<const xcb_reparent_notify_event_t&>(event).window;
        break;
    default:
        return false;
    }
    if (window != client_ && window != topLevel_) return false;
    stale_ = true;
    changed = true;
    return true;
}

std::optional<MonotonicTime> FollowedWindow::nextCheck() const {
    if (!unmappedAt_) return std::nullopt;
    return *unmappedAt_ + unmapGrace;
}

void FollowedWindow::checkAlive() {
    if (destroyed_) lose();
    if (!unmappedAt_ || Clock::now() < *unmappedAt_ + unmapGrace) return;
    xcb_connection_t* c = connection_.get();
    auto attributes = take(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, client_), nullptr));
    if (!attributes) lose();
    const bool iconic = connection_.cardinal(client_, "WM_STATE", connection_.atom("WM_STATE")) == iconicState;
    if (attributes->map_state == XCB_MAP_STATE_UNMAPPED && !iconic) lose();
    unmappedAt_.reset();
}

std::optional<QImage> FollowedWindow::grab() {
    checkAlive();
    if (stale_) follow();
    if (!viewable_) return std::nullopt;
    QImage image;
    if (pixmap_) image = grabber_.grab(pixmap_, QRect(QPoint(0, 0), frame_.size()), depth_);
    if (image.isNull()) return visiblePixels();
    paintUndrawn(image);
    return image;
}

// The pixmap, which holds the window with its border, keeps there what
// covered the window when it was redirected.
void FollowedWindow::paintUndrawn(QImage& image) const {
    const QRegion undrawn = repaints_.undrawn(damage_).translated(origin_ - frame_.topLeft());
    if (undrawn.isEmpty()) return;
    QPainter painter(&image);
    for (const QRect& rect : undrawn) painter.fillRect(rect, Qt::black);
}

// Without Composite (or a pixmap), what shows of the frame on the screen.
QImage FollowedWindow::visiblePixels() {
    const QRect visible = frame_ & rootArea(connection_);
    const QImage pixels = grabber_.grab(connection_.root(), visible, connection_.screen()->root_depth);
    if (visible == frame_) return pixels;
    QImage image(frame_.size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    if (!pixels.isNull()) QPainter(&image).drawImage(visible.topLeft() - frame_.topLeft(), pixels);
    return image;
}

}  // namespace tavero::x11
