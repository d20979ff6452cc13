#pragma once

#include "capture/ScrollFrameSource.h"
#include "platform/desktop/ScreenSource.h"

#include <QObject>
#include <QRect>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace tavero {

// The frames of a scrolling screenshot, grabbed from the screen at up to 12
// per second by a thread of its own ("tavero-scroll"), which also
// converts them to surfaces. The grabs keep our own windows out
// (ScreenSource::feedArea), so the control bar may lie over the region. A grab that shows exactly the previous picture
// is dropped, as the screen's idle frames are; while 3 pictures wait for the
// main thread, further grabs are skipped and counted.
//
// The object lives on the main thread, where its callbacks run; it owns the
// grab thread and shares the screen with it. Destroying it ends the thread,
// waiting for a grab in progress, and drops the pictures still on their way.
class ScrollFrameStream final : public QObject, public ScrollFrameSource {
    Q_OBJECT
public:
    explicit ScrollFrameStream(std::shared_ptr<ScreenSource> screen);
    ~ScrollFrameStream() override;

    void start(const CaptureRegion& region, const ShareableContent& content, FrameHandler frame,
               FailureHandler failed) override;
    void stop(std::function<void()> completion) override;

    // The root pixels `rect` (points of `display`) covers: each value times
    // the display's scale, rounded half away from zero.
    static QRect pixelArea(const DisplayInfo& display, const QRectF& rect);

    int droppedFrames() const { return dropped_; }

private:
    void grabLoop(QRect area);
    QImage grabChanged(PictureFeed& feed, QImage& previous);
    void post(std::function<void()> task);
    void endThread();

    std::shared_ptr<ScreenSource> screen_;
    FrameHandler frame_;
    FailureHandler failed_;
    bool running_ = false;

    std::thread thread_;
    std::mutex lock_;
    std::condition_variable wake_;
    bool quit_ = false;
    std::function<void()> stopCompletion_;
    bool stopping_ = false;
    std::atomic<int> waiting_{0};
    std::atomic<int> dropped_{0};
};

}  // namespace tavero
