#include "capture/ScrollFrameStream.h"

#include "capture/ScrollMessages.h"
#include "document/ImageOps.h"
#include "platform/threads/ThreadName.h"

#include <QLoggingCategory>

#include <chrono>
#include <cmath>
#include <cstring>

namespace tavero {

Q_LOGGING_CATEGORY(lcScrollFrames, "tavero.scroll.frames")

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto frameInterval = std::chrono::microseconds(1'000'000 / 12);
constexpr int queueDepth = 3;

bool samePixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.format() != b.format()) return false;
    const size_t rowBytes = size_t(a.width()) * 4;
    for (int y = 0; y < a.height(); ++y)
        if (std::memcmp(a.constScanLine(y), b.constScanLine(y), rowBytes) != 0) return false;
    return true;
}

}  // namespace

ScrollFrameStream::ScrollFrameStream(std::shared_ptr<ScreenSource> screen) : screen_(std::move(screen)) {}

ScrollFrameStream::~ScrollFrameStream() { endThread(); }

QRect ScrollFrameStream::pixelArea(const DisplayInfo& display, const QRectF& rect) {
    const double scale = std::isfinite(display.scale) && display.scale > 0 ? display.scale : 1;
    const auto pixels = [scale](double points) { return int(std::lround(points * scale)); };
    return {display.pixelFrame.x() + pixels(rect.x()), display.pixelFrame.y() + pixels(rect.y()),
            pixels(rect.width()), pixels(rect.height())};
}

void ScrollFrameStream::start(const CaptureRegion& region, const ShareableContent& content, FrameHandler frame,
                              FailureHandler failed) {
    const DisplayInfo* display = content.display(region.displayID);
    if (!display || !screen_) throw ShotError(ScrollMessages::screenGone());
    endThread();
    frame_ = std::move(frame);
    failed_ = std::move(failed);
    quit_ = false;
    stopping_ = false;
    stopCompletion_ = nullptr;
    running_ = true;
    thread_ = std::thread([this, area = pixelArea(*display, region.rect)] { grabLoop(area); });
}

void ScrollFrameStream::stop(std::function<void()> completion) {
    if (!running_) {
        completion();
        return;
    }
    running_ = false;
    {
        std::lock_guard guard(lock_);
        stopping_ = true;
        stopCompletion_ = std::move(completion);
    }
    wake_.notify_all();
}

void ScrollFrameStream::endThread() {
    {
        std::lock_guard guard(lock_);
        quit_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
    running_ = false;
}

// Queues `task` on the main thread through this object, so it is dropped
// when the object is gone. Called with lock_ held: the destructor cannot
// pass while a task is being queued.
void ScrollFrameStream::post(std::function<void()> task) {
    QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

void ScrollFrameStream::grabLoop(QRect area) {
    nameThisThread("tavero-scroll");
    // Made by the first grab, on this thread; it ends with the stream.
    std::unique_ptr<PictureFeed> feed;
    QImage previous;
    bool failed = false;
    Clock::time_point next = Clock::now();
    std::unique_lock guard(lock_);
    while (true) {
        const auto woken = [this] { return quit_ || stopping_; };
        if (failed) wake_.wait(guard, woken);
        else wake_.wait_until(guard, next, woken);
        if (quit_) return;
        if (stopping_) {
            // After every picture queued before it.
            post([completion = std::move(stopCompletion_)] { completion(); });
            qCDebug(lcScrollFrames) << "stream stopped;" << dropped_ << "frames dropped";
            return;
        }
        next = std::max(next + frameInterval, Clock::now());
        if (waiting_ >= queueDepth) {
            ++dropped_;
            continue;
        }
        guard.unlock();
        std::optional<ShotError> failure;
        QImage frame;
        try {
            if (!feed) feed = screen_->feedArea(area);
            frame = grabChanged(*feed, previous);
        } catch (const ShotError& error) {
            failure = error;
        } catch (const std::exception& error) {
            qCWarning(lcScrollFrames) << "grab failed:" << error.what();
            failure = ShotError(ScrollMessages::screenGone());
        }
        guard.lock();
        if (quit_) return;
        if (failure) {
            failed = true;
            post([this, error = *failure] {
                if (failed_) failed_(error);
            });
        } else if (!frame.isNull()) {
            ++waiting_;
            post([this, frame] {
                --waiting_;
                if (frame_) frame_(frame);
            });
        }
    }
}

// The region as it shows now, or a null image when it shows what the
// previous grab showed. Throws when the screen can no longer be read.
QImage ScrollFrameStream::grabChanged(PictureFeed& feed, QImage& previous) {
    const QImage grabbed = feed.grab();
    if (grabbed.isNull()) throw ShotError(ScrollMessages::screenGone());
    // The grab is in the server's layout (and may sit in a shared segment we
    // should give back soon); what we hand on is a surface of its own.
    QImage frame = grabbed.convertToFormat(ImageOps::surfaceFormat);
    if (samePixels(frame, previous)) return {};
    previous = frame;
    return frame;
}

}  // namespace tavero
