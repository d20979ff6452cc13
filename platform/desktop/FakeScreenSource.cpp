#include "platform/desktop/FakeScreenSource.h"

#include "platform/desktop/ScreenFeed.h"

#include <QPainter>

#include <stdexcept>

namespace tavero {

namespace {
constexpr QImage::Format surfaceFormat = QImage::Format_RGBA8888_Premultiplied;
}

FakeScreenSource::FakeScreenSource() {
    DisplayInfo display;
    display.name = QStringLiteral("fake");
    display.id = displayIdentifier(display.name);
    display.pixelFrame = QRect(0, 0, 1920, 1080);
    display.primary = true;
    displays_ = {display};
    desktop_ = QImage(1920, 1080, surfaceFormat);
    desktop_.fill(QColor(128, 128, 128));
}

FakeScreenSource::~FakeScreenSource() { release(); }

void FakeScreenSource::setDisplays(QList<DisplayInfo> displays) {
    std::lock_guard guard(lock_);
    displays_ = std::move(displays);
}

void FakeScreenSource::setWindows(QList<WindowInfo> windows) {
    std::lock_guard guard(lock_);
    windows_ = std::move(windows);
}

void FakeScreenSource::setDesktop(QImage desktop) {
    std::lock_guard guard(lock_);
    desktop_ = desktop.convertToFormat(surfaceFormat);
}

void FakeScreenSource::setWindowImage(quint32 window, QImage image) {
    std::lock_guard guard(lock_);
    windowImages_[window] = image.convertToFormat(surfaceFormat);
}

void FakeScreenSource::setPointer(QPoint pointer) {
    std::lock_guard guard(lock_);
    pointer_ = pointer;
}

void FakeScreenSource::setCursor(QImage cursor, QPoint hotSpot) {
    std::lock_guard guard(lock_);
    cursor_ = std::move(cursor);
    hotSpot_ = hotSpot;
}

void FakeScreenSource::setActiveProcess(std::optional<qint64> process) {
    std::lock_guard guard(lock_);
    activeProcess_ = process;
}

void FakeScreenSource::setAccessGranted(bool granted) {
    std::lock_guard guard(lock_);
    accessGranted_ = granted;
}

void FakeScreenSource::holdWindows(bool hold) {
    std::lock_guard guard(lock_);
    holdWindows_ = hold;
}

void FakeScreenSource::holdGrabs(bool hold) {
    std::lock_guard guard(lock_);
    holdGrabs_ = hold;
}

void FakeScreenSource::holdUnmapWaits(bool hold) {
    std::lock_guard guard(lock_);
    holdUnmapWaits_ = hold;
}

void FakeScreenSource::release() {
    {
        std::lock_guard guard(lock_);
        holdWindows_ = false;
        holdGrabs_ = false;
        holdUnmapWaits_ = false;
    }
    released_.notify_all();
}

void FakeScreenSource::failWindows(bool fail) {
    std::lock_guard guard(lock_);
    failWindows_ = fail;
}

int FakeScreenSource::grabCount() const {
    std::lock_guard guard(lock_);
    return grabCount_;
}

QList<QList<quint32>> FakeScreenSource::unmapWaits() const {
    std::lock_guard guard(lock_);
    return unmapWaits_;
}

int FakeScreenSource::windowPixelHolds() const { return *windowPixelHolds_; }

std::shared_ptr<void> FakeScreenSource::keepWindowPixels() {
    ++*windowPixelHolds_;
    return std::shared_ptr<void>(nullptr, [holds = windowPixelHolds_](void*) { --*holds; });
}

void FakeScreenSource::waitWhileHeld(std::unique_lock<std::mutex>& guard, const bool& held) {
    released_.wait(guard, [&] { return !held; });
}

QList<DisplayInfo> FakeScreenSource::displays() {
    std::lock_guard guard(lock_);
    return displays_;
}

QList<WindowInfo> FakeScreenSource::windows() {
    std::unique_lock guard(lock_);
    waitWhileHeld(guard, holdWindows_);
    if (failWindows_) throw std::runtime_error("the fake screen is gone");
    return windows_;
}

QPoint FakeScreenSource::pointer() {
    std::lock_guard guard(lock_);
    return pointer_;
}

std::optional<qint64> FakeScreenSource::activeProcess() {
    std::lock_guard guard(lock_);
    return activeProcess_;
}

void FakeScreenSource::activate(qint64 processID) {
    std::lock_guard guard(lock_);
    activeProcess_ = processID;
}

bool FakeScreenSource::accessGranted() {
    std::lock_guard guard(lock_);
    return accessGranted_;
}

class FakeScreenSource::Wait final : public ScreenSource::UncoverWait {
public:
    Wait(FakeScreenSource& screen, QList<quint32> windows) : screen_(screen), windows_(std::move(windows)) {}
    void wait(std::chrono::milliseconds, std::chrono::milliseconds) override {
        std::unique_lock guard(screen_.lock_);
        screen_.unmapWaits_.append(windows_);
        screen_.waitWhileHeld(guard, screen_.holdUnmapWaits_);
    }
    // The fake screen shows none of our windows.
    QRegion undrawn() const override { return {}; }

private:
    FakeScreenSource& screen_;
    QList<quint32> windows_;
};

std::shared_ptr<ScreenSource::UncoverWait> FakeScreenSource::watchUncovering(const QList<quint32>& windows) {
    return std::make_shared<Wait>(*this, windows);
}

QImage FakeScreenSource::grabArea(const QRect& pixels, bool withCursor) {
    std::unique_lock guard(lock_);
    waitWhileHeld(guard, holdGrabs_);
    ++grabCount_;
    const QRect area = pixels.intersected(desktop_.rect());
    if (area.isEmpty()) return {};
    QImage image = desktop_.copy(area);
    if (withCursor) drawCursor(image, area.topLeft());
    return image;
}

class FakeScreenSource::AreaFeed final : public PictureFeed {
public:
    AreaFeed(FakeScreenSource& screen, const QRect& area) : screen_(screen), area_(area) {}
    QSize size() const override { return area_.size(); }
    bool waitForChange(MonotonicTime) override { return true; }
    void wake() override {}
    QImage grab() override {
        QImage image = screen_.grabArea(area_, false);
        if (image.isNull()) throw Lost(ScreenFeedLoss::screenUnreadable());
        return image;
    }

private:
    FakeScreenSource& screen_;
    QRect area_;
};

std::unique_ptr<PictureFeed> FakeScreenSource::feedArea(const QRect& pixels) {
    return std::make_unique<AreaFeed>(*this, pixels);
}

QImage FakeScreenSource::grab(const ContentFilter& filter, bool withCursor) {
    if (filter.display) return grabArea(filter.display->pixelFrame, withCursor);
    if (!filter.window) return {};
    std::unique_lock guard(lock_);
    const auto own = windowImages_.constFind(filter.window->id);
    if (own == windowImages_.constEnd()) {
        guard.unlock();
        return grabArea(filter.window->frame, withCursor);
    }
    waitWhileHeld(guard, holdGrabs_);
    ++grabCount_;
    QImage image = own->copy();
    if (withCursor) drawCursor(image, filter.window->frame.topLeft());
    return image;
}

void FakeScreenSource::drawCursor(QImage& image, const QPoint& imageOrigin) const {
    if (cursor_.isNull()) return;
    QPainter painter(&image);
    painter.drawImage(pointer_ - hotSpot_ - imageOrigin, cursor_);
}

}  // namespace tavero
