#include "platform/desktop/X11ScreenFeed.h"

#include "platform/desktop/OwnWindows.h"
#include "platform/desktop/X11Displays.h"
#include "platform/desktop/X11Extensions.h"

#include <QPainter>

#include <xcb/damage.h>
#include <xcb/randr.h>
#include <xcb/xfixes.h>

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <utility>

namespace tavero {

namespace x11 {

namespace {

using Clock = std::chrono::steady_clock;

// Pictures a consumer that says nothing holds at once: the previous one
// while the next is grabbed.
constexpr int picturesHeld = 2;

// The pointer is asked no more often than pictures are made.
constexpr auto tickInterval = std::chrono::microseconds(1'000'000 / 30);

bool onSomeDisplay(const QList<DisplayInfo>& displays, const QRect& area) {
    return std::any_of(displays.begin(), displays.end(),
                       [&](const DisplayInfo& display) { return display.pixelFrame.intersects(area); });
}

}  // namespace

ScreenFeed::ScreenFeed(const ScreenScope& scope)
    : scope_(scope), damageEvent_(startDamage(connection_)), wakeUp_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (!wakeUp_.valid()) throw std::runtime_error("cannot make an event descriptor");
    xcb_connection_t* c = connection_.get();
    if (scope_.window) {
        window_ = std::make_unique<FollowedWindow>(connection_, grabber_, *scope_.window, startComposite(connection_),
                                                   damageEvent_);
        size_ = window_->frame().size();
    } else {
        size_ = scope_.area.size();
        displayEvent_ = startRandr(connection_);
        if (displayEvent_)
            xcb_randr_select_input(c, connection_.root(),
                                   XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE | XCB_RANDR_NOTIFY_MASK_CRTC_CHANGE |
                                       XCB_RANDR_NOTIFY_MASK_OUTPUT_CHANGE);
        if (damageEvent_) {
            damage_ = xcb_generate_id(c);
            xcb_damage_create(c, damage_, connection_.root(), XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
        }
        checkDisplays();
    }
    keepPictures(picturesHeld);
    if (scope_.cursor) {
        pointerEvent_ = startXFixes(connection_);
        if (pointerEvent_)
            xcb_xfixes_select_cursor_input(c, connection_.root(), XCB_XFIXES_CURSOR_NOTIFY_MASK_DISPLAY_CURSOR);
        auto pointer = take(xcb_query_pointer_reply(c, xcb_query_pointer(c, connection_.root()), nullptr));
        if (pointer) pointer_ = QPoint(pointer->root_x, pointer->root_y);
    }
    xcb_flush(c);
    connection_.check();
}

ScreenFeed::~ScreenFeed() = default;

void ScreenFeed::keepPictures(int count) {
    // A followed window's last picture is kept too, to show while it is
    // hidden; an area's is let go before the next grab.
    grabber_.keepSegmentsBetweenGrabs(size_t(count + (window_ ? 1 : 0)));
}

void ScreenFeed::lose(const QString& description) {
    lost_ = description;
    throw Lost(description);
}

bool ScreenFeed::waitForChange(MonotonicTime deadline) {
    while (true) {
        drainEvents();
        if (pending_) return true;
        const MonotonicTime now = Clock::now();
        if (watchesTicks() && now >= nextTick_) {
            nextTick_ = now + tickInterval;
            tick();
            continue;
        }
        if (now >= deadline) return false;
        MonotonicTime until = deadline;
        if (watchesTicks()) until = std::min(until, nextTick_);
        if (window_)
            if (const std::optional<MonotonicTime> check = window_->nextCheck()) until = std::min(until, *check);
        if (connection_.wait(until, wakeUp_.get()) == Connection::Woken::other) {
            uint64_t count = 0;
            [[maybe_unused]] const ssize_t drained = ::read(wakeUp_.get(), &count, sizeof count);
            return false;
        }
    }
}

void ScreenFeed::wake() {
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeUp_.get(), &one, sizeof one);
}

// Reads every event the server has sent; throws Lost once the feed is.
void ScreenFeed::drainEvents() {
    if (lost_) throw Lost(*lost_);
    xcb_connection_t* c = connection_.get();
    while (Reply<xcb_generic_event_t> event = take(xcb_poll_for_event(c))) handle(*event);
    if (xcb_connection_has_error(c)) lose(ScreenFeedLoss::screenUnreadable());
    if (displaysChanged_) {
        displaysChanged_ = false;
        checkDisplays();
    }
    if (window_) window_->checkAlive();
}

void ScreenFeed::handle(const xcb_generic_event_t& event) {
    const int type = event.response_type & 0x7f;
    // An error of a request whose result already tells it failed.
    if (type == 0) return;
    bool changed = false;
    if (removal_.takeEvent(event, changed) || (window_ && window_->takeEvent(event, changed))) {
        pending_ = pending_ || changed;
        return;
    }
    if (damageEvent_ && type == *damageEvent_ + XCB_DAMAGE_NOTIFY) {
        const auto& notify = reinterpret_cast<const xcb_damage_notify_event_t&>(event);
        if (notify.damage == damage_)
            onRootDamage(QRect(notify.area.x, notify.area.y, notify.area.width, notify.area.height));
    } else if (pointerEvent_ && type == *pointerEvent_ + XCB_XFIXES_CURSOR_NOTIFY) {
        pending_ = pending_ || pointerMatters(pointer_);
    } else if (displayEvent_ &&
               (type == *displayEvent_ + XCB_RANDR_SCREEN_CHANGE_NOTIFY || type == *displayEvent_ + XCB_RANDR_NOTIFY)) {
        displaysChanged_ = true;
    }
}

// Drawing inside the area counts, except where our own windows lie: their
// own repaints change nothing in the pictures, and the windows beneath them
// report their drawing to the removal.
void ScreenFeed::onRootDamage(const QRect& drawn) {
    removal_.screenDrawn(drawn);
    const QRect inside = drawn & scope_.area;
    if (inside.isEmpty() || pending_) return;
    pending_ = !QRegion(inside).subtracted(removal_.covered()).isEmpty();
}

// Ticks ask where the pointer is, and stand for DAMAGE where the server
// lacks it.
bool ScreenFeed::watchesTicks() const { return scope_.cursor || !damageEvent_; }

void ScreenFeed::tick() {
    if (!damageEvent_) pending_ = true;
    if (!scope_.cursor) return;
    xcb_connection_t* c = connection_.get();
    auto reply = take(xcb_query_pointer_reply(c, xcb_query_pointer(c, connection_.root()), nullptr));
    if (!reply) return;
    const QPoint pointer(reply->root_x, reply->root_y);
    if (pointer == pointer_) return;
    pending_ = pending_ || pointerMatters(pointer) || pointerMatters(pointer_);
    pointer_ = pointer;
}

// Whether the pointer's image at `pointer` may reach into the pictures.
bool ScreenFeed::pointerMatters(QPoint pointer) const {
    const QRect pictured = window_ ? window_->frame() : scope_.area;
    return pictured.adjusted(-pointerReach_, -pointerReach_, pointerReach_, pointerReach_).contains(pointer);
}

void ScreenFeed::checkDisplays() {
    if (!onSomeDisplay(listDisplays(connection_), scope_.area)) lose(ScreenFeedLoss::displayGone());
}

QImage ScreenFeed::grab() {
    drainEvents();
    pending_ = false;
    QImage image;
    if (window_) {
        const std::optional<QImage> pixels = window_->grab();
        if (!pixels) {
            if (last_.isNull()) {
                last_ = QImage(size_, QImage::Format_RGB32);
                last_.fill(Qt::black);
            }
            return last_;
        }
        image = *pixels;
    } else {
        image = grabArea();
    }
    if (image.isNull()) lose(ScreenFeedLoss::screenUnreadable());
    if (scope_.cursor) drawPointer(image, window_ ? window_->frame().topLeft() : scope_.area.topLeft());
    // Kept once drawn into: a copy held while drawing would copy the picture.
    last_ = image;
    return image;
}

QImage ScreenFeed::grabArea() {
    const QRect& area = scope_.area;
    const QRect visible = area & rootArea(connection_);
    if (visible.isEmpty()) lose(ScreenFeedLoss::displayGone());
    return removal_.grab(
        area, ownWindows(), [&] { return grabVisible(visible); }, takeShown(),
        [this](const xcb_generic_event_t& event) { handle(event); });
}

QImage ScreenFeed::grabVisible(const QRect& visible) {
    const QRect& area = scope_.area;
    QImage image = grabber_.grab(connection_.root(), visible, connection_.screen()->root_depth);
    if (image.isNull() || visible == area) return image;
    // The screen shrank under part of the area: the rest stays black.
    QImage whole(area.size(), QImage::Format_RGB32);
    whole.fill(Qt::black);
    QPainter(&whole).drawImage(visible.topLeft() - area.topLeft(), image);
    return whole;
}

// What the pointer covers is kept: the next picture may need it where one of
// our windows comes to lie.
void ScreenFeed::drawPointer(QImage& image, QPoint origin) {
    pointerPlace_ = QRect();
    beneathPointer_ = QImage();
    QPoint topLeft;
    const QImage pointer = grabber_.cursor(topLeft);
    if (pointer.isNull()) return;
    pointerReach_ = std::max(pointer.width(), pointer.height());
    const QRect place(topLeft - origin, pointer.size());
    const QRect drawn = place & image.rect();
    if (drawn.isEmpty()) return;
    pointerPlace_ = drawn.translated(origin);
    beneathPointer_ = image.copy(drawn);
    QPainter(&image).drawImage(place.topLeft(), pointer);
}

ShownPicture ScreenFeed::takeShown() {
    return {std::exchange(last_, QImage()), scope_.area.topLeft(), pointerPlace_, beneathPointer_};
}

QList<xcb_window_t> ScreenFeed::ownWindows() const {
    QList<xcb_window_t> windows(scope_.ownWindows.begin(), scope_.ownWindows.end());
    for (quint32 window : OwnWindows::list())
        if (!windows.contains(window)) windows.append(window);
    return windows;
}

}  // namespace x11

std::unique_ptr<PictureFeed> openScreenFeed(const ScreenScope& scope) {
    try {
        return std::make_unique<x11::ScreenFeed>(scope);
    } catch (const PictureFeed::Lost&) {
        throw;
    } catch (const std::runtime_error&) {
        throw PictureFeed::Lost(ScreenFeedLoss::screenUnreadable());
    }
}

}  // namespace tavero
