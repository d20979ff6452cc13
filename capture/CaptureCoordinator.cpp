#include "capture/CaptureCoordinator.h"

#include "capture/ApplicationWindows.h"
#include "capture/CaptureMessages.h"
#include "capture/CompletionGate.h"
#include "capture/SelectionPresenter.h"
#include "capture/WindowPick.h"
#include "document/ImageOps.h"
#include "platform/desktop/DisplayScales.h"
#include "platform/threads/Background.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace tavero {

namespace messages = CaptureMessages;

namespace {

// Rounds outward to whole pixels, clamped far beyond any screen so that a
// stored area with absurd numbers cannot overflow.
QRect integralPixels(const QRectF& rect) {
    const auto clamp = [](double value) { return std::clamp(value, -1e9, 1e9); };
    const double left = std::floor(clamp(rect.left())), top = std::floor(clamp(rect.top()));
    const double right = std::ceil(clamp(rect.right())), bottom = std::ceil(clamp(rect.bottom()));
    return {int(left), int(top), int(right - left), int(bottom - top)};
}

// Paints black where `region` (root pixels) meets `image`, whose top-left
// lies at `origin`.
void blackOut(QImage& image, const QRegion& region, QPoint origin) {
    if (region.isEmpty()) return;
    QPainter painter(&image);
    painter.setClipRegion(region.translated(-origin));
    painter.fillRect(image.rect(), Qt::black);
}

}  // namespace

Result<QImage> CaptureCoordinator::crop(const QImage& image, const QRectF& rect, const DisplayInfo& display) {
    const QSizeF points = display.pointSize();
    const double scaleX = image.width() / points.width();
    const double scaleY = image.height() / points.height();
    const QRectF scaled(rect.x() * scaleX, rect.y() * scaleY, rect.width() * scaleX, rect.height() * scaleY);
    const QRect pixels = integralPixels(scaled).intersected(image.rect());
    if (pixels.width() < 2 || pixels.height() < 2) return ShotError(messages::tooSmall());
    QImage result = image.copy(pixels);
    if (result.isNull()) return ShotError(messages::tooSmall());
    return result;
}

// One still capture on its way, from the request to the answer.
struct CaptureCoordinator::Road {
    Mode mode = Mode::area;
    bool scrolling = false;
    quint32 pointerDisplayID = 0;
    // Clears `busy` and answers the caller.
    Completion<QImage> answer;
    DisplayInfo display;
    ShareableContent content;
    QImage frozen;
};

CaptureCoordinator::CaptureCoordinator(std::shared_ptr<ScreenSource> screen, CaptureTiming timing, QObject* parent)
    : QObject(parent), screen_(std::move(screen)), timing_(timing) {
    QSettings settings;
    lastRegion_ = readLastRegion(settings);
}

CaptureCoordinator::~CaptureCoordinator() = default;

void CaptureCoordinator::setSelectionPresenter(SelectionPresenter* presenter) { presenter_ = presenter; }

void CaptureCoordinator::setApplicationWindows(ApplicationWindows* windows) { windows_ = windows; }

void CaptureCoordinator::setIncludeCursor(bool include) {
    if (include == includeCursor_) return;
    includeCursor_ = include;
    emit changed();
}

void CaptureCoordinator::setLastRegion(std::optional<CaptureRegion> region) {
    lastRegion_ = std::move(region);
    QSettings settings;
    storeLastRegion(settings, lastRegion_);
    emit changed();
}

void CaptureCoordinator::setBusy(bool busy) {
    if (busy == busy_) return;
    busy_ = busy;
    emit changed();
}

void CaptureCoordinator::capture(Mode mode, bool scrolling, Completion<QImage> completion) {
    if (busy_) {
        completion(ShotError(messages::busy()));
        return;
    }
    setBusy(true);
    auto road = std::make_shared<Road>();
    road->mode = mode;
    road->scrolling = scrolling;
    road->answer = [this, completion = std::move(completion)](Result<QImage> result) {
        windowPixels_.reset();
        setBusy(false);
        // Grabs come in the screen's own pixel layout; what we hand on is a surface.
        if (result) result = std::move(result).value().convertToFormat(ImageOps::surfaceFormat);
        completion(std::move(result));
    };
    const std::optional<DisplayInfo> display = pointerDisplay();
    if (!display) {
        road->answer(ShotError(messages::noScreen()));
        return;
    }
    road->pointerDisplayID = display->id;
    // Now, so that covered windows have repainted their own pixels by the
    // time the user clicks one.
    if (mode == Mode::window) keepWindowPixels();
    hideThen([this, road] { afterSettling(road); });
}

void CaptureCoordinator::hideThen(std::function<void()> next) {
    const QList<quint32> shown = windows_ ? windows_->shownWindows() : QList<quint32>();
    const std::shared_ptr<ScreenSource::UncoverWait> uncovered = watchUncovering(shown);
    if (windows_) windows_->hideAll();
    if (shown.isEmpty()) return next();
    // Whichever comes first: the screen drawn again without our windows, or
    // the longest wait.
    auto gate = CompletionGate<bool>::make(this, [next = std::move(next)](Result<bool>) { next(); });
    QTimer::singleShot(timing_.settle, this, [gate] { gate->finish(true); });
    if (!uncovered) return;
    runInBackground([gate, uncovered, limit = timing_.settle] {
        uncovered->wait(limit, limit);
        gate->finish(true);
    });
}

void CaptureCoordinator::keepWindowPixels() {
    try {
        windowPixels_ = screen_->keepWindowPixels();
    } catch (const std::runtime_error&) {
    }
}

std::optional<DisplayInfo> CaptureCoordinator::pointerDisplay() {
    if (!screen_) return std::nullopt;
    try {
        const QList<DisplayInfo> displays = screen_->displays();
        const QPoint pointer = screen_->pointer();
        for (const DisplayInfo& display : displays)
            if (display.pixelFrame.contains(pointer)) return display;
        for (const DisplayInfo& display : displays)
            if (display.primary) return display;
        if (!displays.isEmpty()) return displays.first();
    } catch (const std::runtime_error&) {
    }
    return std::nullopt;
}

void CaptureCoordinator::afterSettling(std::shared_ptr<Road> road) {
    try {
        const std::optional<qint64> front = screen_ ? screen_->activeProcess() : std::nullopt;
        targetApplication_ = front ? RunningApplication::withProcessID(*front) : std::nullopt;
        emit changed();
    } catch (const std::runtime_error&) {
    }
    content([this, road](Result<ShareableContent> content) { withContent(road, std::move(content)); });
}

void CaptureCoordinator::withContent(std::shared_ptr<Road> road, Result<ShareableContent> content) {
    if (!content) return road->answer(content.error());
    road->content = std::move(content).value();
    const bool previous = road->mode == Mode::previous && lastRegion_;
    const quint32 displayID = previous ? lastRegion_->displayID : road->pointerDisplayID;
    const DisplayInfo* display = road->content.display(displayID);
    if (!display) return road->answer(ShotError(messages::noScreen()));
    road->display = *display;
    const std::optional<bool> cursor = road->scrolling ? std::optional<bool>(false) : std::nullopt;
    snapshot(filter(road->display), cursor, [this, road](Result<QImage> frozen) { withSnapshot(road, std::move(frozen)); });
}

void CaptureCoordinator::withSnapshot(std::shared_ptr<Road> road, Result<QImage> frozen) {
    if (!frozen) return road->answer(frozen.error());
    road->frozen = std::move(frozen).value();
    if (road->mode == Mode::full) return road->answer(road->frozen);
    if (road->mode == Mode::previous && lastRegion_)
        return road->answer(crop(road->frozen, lastRegion_->rect, road->display));
    showOverlay(road);
}

void CaptureCoordinator::showOverlay(std::shared_ptr<Road> road) {
    SelectionRequest request;
    request.image = road->frozen;
    request.display = road->display;
    request.windowMode = road->mode == Mode::window;
    if (road->scrolling) request.prompt = messages::scrollingTitle();
    request.title = road->scrolling       ? messages::scrollingTitle()
                    : request.windowMode ? messages::windowTitle()
                                         : messages::areaTitle();
    const bool shown = presentOverlay(
        request, [this, road](std::optional<QRectF> selection) { withSelection(road, selection); });
    if (!shown) road->answer(ShotError(messages::cancelled()));
}

bool CaptureCoordinator::presentOverlay(const SelectionRequest& request,
                                        std::function<void(std::optional<QRectF>)> answer) {
    if (!presenter_) return false;
    QPointer<CaptureCoordinator> self(this);
    overlay_ = presenter_->open(request, [self, answer = std::move(answer)](std::optional<QRectF> selection) {
        if (!self) return;
        // The overlay has hidden itself; it may still be inside its own event handler.
        if (QObject* window = self->overlay_.release()) window->deleteLater();
        answer(selection);
    });
    return true;
}

void CaptureCoordinator::withSelection(std::shared_ptr<Road> road, std::optional<QRectF> selection) {
    if (!selection) return road->answer(ShotError(messages::cancelled()));
    if (road->mode == Mode::window) return captureWindowAt(road, *selection);
    if (road->scrolling) findScrollTarget(*road, *selection);
    setLastRegion(CaptureRegion{road->display.id, *selection});
    road->answer(crop(road->frozen, *selection, road->display));
}

QList<quint32> CaptureCoordinator::windowOrder() {
    QList<quint32> order;
    if (!screen_) return order;
    try {
        for (const WindowInfo& window : screen_->windows()) order.append(window.id);
    } catch (const std::runtime_error&) {
    }
    return order;
}

void CaptureCoordinator::captureWindowAt(std::shared_ptr<Road> road, const QRectF& point) {
    const QPointF root = WindowPick::rootPoint(road->display, point.center());
    const std::optional<WindowInfo> window = WindowPick::clicked(
        road->content.windows, windowOrder(), root, road->display.scale, QCoreApplication::applicationPid());
    if (!window) return road->answer(ShotError(messages::noWindow()));
    snapshot(ContentFilter::forWindow(*window), std::nullopt, road->answer);
}

void CaptureCoordinator::findScrollTarget(const Road& road, const QRectF& selection) {
    const QPointF root = WindowPick::rootPoint(road.display, selection.center());
    const std::optional<WindowInfo> window =
        WindowPick::scrolled(road.content.windows, windowOrder(), root, QCoreApplication::applicationPid());
    if (!window || !window->processID) return;
    targetApplication_ = RunningApplication::withProcessID(*window->processID);
    emit changed();
}

void CaptureCoordinator::content(Completion<ShareableContent> completion) {
    auto gate = CompletionGate<ShareableContent>::make(this, [completion](Result<ShareableContent> result) {
        if (!result) return completion(std::move(result));
        ShareableContent content = std::move(result).value();
        applyScreenScales(content.displays);
        completion(std::move(content));
    });
    QTimer::singleShot(timing_.contentDeadline, this, [gate] { gate->finish(ShotError(messages::contentTimeout())); });
    runInBackground([gate, screen = screen_] {
        gate->finish(tavero::capture(
            [&] {
                if (!screen) throw ShotError(messages::noService());
                return ShareableContent{screen->displays(), screen->windows()};
            },
            messages::noService()));
    });
}

ContentFilter CaptureCoordinator::filter(const DisplayInfo& display) { return ContentFilter::forDisplay(display); }

ContentFilter CaptureCoordinator::filter(const DisplayInfo& display, const ShareableContent& content) {
    ContentFilter filter = ContentFilter::forDisplay(display);
    filter.withoutOwnWindows = true;
    const qint64 ownProcess = QCoreApplication::applicationPid();
    for (const WindowInfo& window : content.windows)
        if (window.processID == ownProcess) filter.ownWindows.append(window.id);
    return filter;
}

ContentFilter CaptureCoordinator::filter(const WindowInfo& window) {
    ContentFilter filter = ContentFilter::forWindow(window);
    filter.withoutOwnWindows = true;
    return filter;
}

void CaptureCoordinator::snapshot(const ContentFilter& filter, std::optional<bool> includeCursor,
                                  Completion<QImage> completion) {
    const bool cursor = includeCursor.value_or(includeCursor_);
    ContentFilter grabbed = filter;
    std::shared_ptr<ScreenSource::UncoverWait> leaving;
    if (grabbed.display && grabbed.withoutOwnWindows) {
        if (windows_)
            for (quint32 window : windows_->shownWindows())
                if (!grabbed.ownWindows.contains(window)) grabbed.ownWindows.append(window);
        // Now, before the caller hides any of them.
        leaving = watchUncovering(grabbed.ownWindows);
    }
    auto gate = CompletionGate<QImage>::make(this, std::move(completion));
    QTimer::singleShot(timing_.snapshotDeadline, this, [gate] { gate->finish(ShotError(messages::snapshotTimeout())); });
    runInBackground([gate, screen = screen_, filter = std::move(grabbed), cursor, leaving, timing = timing_] {
        gate->finish(tavero::capture(
            [&] {
                if (leaving) leaving->wait(timing.leaving, timing.redrawn);
                QImage image = screen ? screen->grab(filter, cursor) : QImage();
                if (image.isNull()) throw ShotError(messages::snapshotFailed());
                if (leaving) blackOut(image, leaving->undrawn(), filter.display->pixelFrame.topLeft());
                return image;
            },
            messages::snapshotFailed()));
    });
}

std::shared_ptr<ScreenSource::UncoverWait> CaptureCoordinator::watchUncovering(const QList<quint32>& windows) {
    if (windows.isEmpty() || !screen_) return nullptr;
    try {
        return screen_->watchUncovering(windows);
    } catch (const std::runtime_error&) {
        return nullptr;
    }
}

void CaptureCoordinator::activate(qint64 processID) {
    if (screen_) screen_->activate(processID);
}

}  // namespace tavero
