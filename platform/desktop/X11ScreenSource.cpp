#include "platform/desktop/X11ScreenSource.h"

#include "platform/desktop/ScreenFeed.h"
#include "platform/desktop/X11Connection.h"
#include "platform/desktop/X11Displays.h"
#include "platform/desktop/X11Extensions.h"
#include "platform/desktop/X11ImageGrabber.h"
#include "platform/desktop/X11UncoverWatch.h"
#include "platform/desktop/X11Windows.h"

#include <QPainter>

#include <xcb/composite.h>

namespace tavero {

struct X11ScreenSource::Private {
    x11::Connection connection;
    x11::ImageGrabber grabber{connection};
    bool composite = x11::startComposite(connection);

    QRect rootRect() const {
        return {0, 0, connection.screen()->width_in_pixels, connection.screen()->height_in_pixels};
    }
};

// Top-level windows redirected (automatic mode) for as long as this lives.
class X11ScreenSource::RedirectedWindows {
public:
    RedirectedWindows(std::shared_ptr<Private> source, QList<xcb_window_t> windows)
        : source_(std::move(source)), windows_(std::move(windows)) {
        xcb_connection_t* c = source_->connection.get();
        // Errors (an input-only window, one gone meanwhile) are dropped with
        // the events after the next grab.
        for (xcb_window_t window : windows_) xcb_composite_redirect_window(c, window, XCB_COMPOSITE_REDIRECT_AUTOMATIC);
        xcb_flush(c);
    }
    ~RedirectedWindows() {
        xcb_connection_t* c = source_->connection.get();
        for (xcb_window_t window : windows_)
            xcb_composite_unredirect_window(c, window, XCB_COMPOSITE_REDIRECT_AUTOMATIC);
        xcb_flush(c);
    }

private:
    std::shared_ptr<Private> source_;
    QList<xcb_window_t> windows_;
};

X11ScreenSource::X11ScreenSource() : d_(std::make_shared<Private>()) {}

X11ScreenSource::~X11ScreenSource() = default;

bool X11ScreenSource::hasComposite() const { return d_->composite; }

bool X11ScreenSource::hasSharedMemory() const { return d_->grabber.sharedMemoryAvailable(); }

void X11ScreenSource::setUseSharedMemory(bool use) { d_->grabber.setUseSharedMemory(use); }

QList<DisplayInfo> X11ScreenSource::displays() { return x11::listDisplays(d_->connection); }

QList<WindowInfo> X11ScreenSource::windows() { return x11::listWindows(d_->connection); }

QPoint X11ScreenSource::pointer() {
    xcb_connection_t* c = d_->connection.get();
    auto reply = x11::take(xcb_query_pointer_reply(c, xcb_query_pointer(c, d_->connection.root()), nullptr));
    d_->connection.check();
    return reply ? QPoint(reply->root_x, reply->root_y) : QPoint();
}

std::optional<qint64> X11ScreenSource::activeProcess() { return x11::activeProcess(d_->connection); }

void X11ScreenSource::activate(qint64 processID) { x11::activateProcess(d_->connection, processID); }

namespace {

class X11UncoverWait final : public ScreenSource::UncoverWait {
public:
    explicit X11UncoverWait(const QList<quint32>& windows) : watch_(QList<xcb_window_t>(windows.begin(), windows.end())) {}
    void wait(std::chrono::milliseconds leaving, std::chrono::milliseconds drawing) override {
        watch_.wait(leaving, drawing);
    }
    QRegion undrawn() const override { return watch_.undrawn(); }

private:
    x11::UncoverWatch watch_;
};

}  // namespace

std::shared_ptr<ScreenSource::UncoverWait> X11ScreenSource::watchUncovering(const QList<quint32>& windows) {
    return std::make_shared<X11UncoverWait>(windows);
}

std::shared_ptr<void> X11ScreenSource::keepWindowPixels() {
    if (!d_->composite) return nullptr;
    d_->connection.check();
    return std::make_shared<RedirectedWindows>(d_, x11::childrenOf(d_->connection, d_->connection.root()));
}

QImage X11ScreenSource::grabArea(const QRect& pixels, bool withCursor) {
    const QRect area = pixels.intersected(d_->rootRect());
    QImage image = d_->grabber.grab(d_->connection.root(), area, d_->connection.screen()->root_depth);
    d_->connection.discardEvents();
    if (!image.isNull() && withCursor) drawCursor(image, area.topLeft());
    return image;
}

std::unique_ptr<PictureFeed> X11ScreenSource::feedArea(const QRect& pixels) {
    return openScreenFeed(ScreenScope{pixels, std::nullopt, false, {}});
}

QImage X11ScreenSource::grab(const ContentFilter& filter, bool withCursor) {
    if (filter.window && filter.withoutOwnWindows) return grabWindowAlone(*filter.window, withCursor);
    if (filter.window) return grabWindow(*filter.window, withCursor);
    if (filter.display && filter.withoutOwnWindows)
        return grabWithoutOwnWindows(filter.display->pixelFrame, filter.ownWindows, withCursor);
    if (filter.display) return grabArea(filter.display->pixelFrame, withCursor);
    return {};
}

// The first picture of a recording's feed, which paints over our windows
// what they cover; a window manager's frame around one is taken out with it.
QImage X11ScreenSource::grabWithoutOwnWindows(const QRect& pixels, const QList<quint32>& ownWindows, bool withCursor) {
    try {
        QList<quint32> withFrames = ownWindows;
        for (quint32 window : ownWindows)
            if (const std::optional<xcb_window_t> frame = x11::topLevelOf(d_->connection, window))
                if (!withFrames.contains(*frame)) withFrames.append(*frame);
        return openScreenFeed(ScreenScope{pixels.intersected(d_->rootRect()), std::nullopt, withCursor, withFrames})
            ->grab();
    } catch (const std::runtime_error&) {
        return {};
    }
}

// The first picture of a recording of the window, which redirects the window
// alone for as long as it takes.
QImage X11ScreenSource::grabWindowAlone(const WindowInfo& window, bool withCursor) {
    try {
        return openScreenFeed(ScreenScope{window.frame, window.id, withCursor, {}})->grab();
    } catch (const std::runtime_error&) {
        return {};
    }
}

QImage X11ScreenSource::grabWindow(const WindowInfo& window, bool withCursor) {
    const std::optional<xcb_window_t> topLevel = x11::topLevelOf(d_->connection, window.id);
    if (!topLevel) return {};
    if (!d_->composite) return grabArea(window.frame, withCursor);
    xcb_connection_t* c = d_->connection.get();
    auto geometry = x11::take(xcb_get_geometry_reply(c, xcb_get_geometry(c, *topLevel), nullptr));
    const xcb_pixmap_t pixmap = xcb_generate_id(c);
    x11::Reply<xcb_generic_error_t> error(
        xcb_request_check(c, xcb_composite_name_window_pixmap_checked(c, *topLevel, pixmap)));
    if (!geometry || error) return grabArea(window.frame, withCursor);
    // The pixmap holds the window with its border.
    const int border = geometry->border_width;
    const QRect area(0, 0, geometry->width + 2 * border, geometry->height + 2 * border);
    QImage image = d_->grabber.grab(pixmap, area, geometry->depth);
    xcb_free_pixmap(c, pixmap);
    xcb_flush(c);
    d_->connection.discardEvents();
    if (image.isNull()) return grabArea(window.frame, withCursor);
    if (withCursor) {
        auto origin = x11::take(
            xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, *topLevel, d_->connection.root(), 0, 0), nullptr));
        if (origin) drawCursor(image, QPoint(origin->dst_x - border, origin->dst_y - border));
    }
    return image;
}

void X11ScreenSource::drawCursor(QImage& image, const QPoint& imageOrigin) {
    QPoint cursorTopLeft;
    const QImage cursor = d_->grabber.cursor(cursorTopLeft);
    if (cursor.isNull()) return;
    QPainter painter(&image);
    painter.drawImage(cursorTopLeft - imageOrigin, cursor);
}

}  // namespace tavero
