#pragma once

#include "camera/CameraFraming.h"
#include "camera/LivePose.h"
#include "camera/PortraitLayout.h"
#include "camera/RecordingCompositor.h"
#include "platform/PictureFeed.h"
#include "platform/desktop/PointerSource.h"
#include "platform/memory/PicturePool.h"
#include "platform/sound/SoundCapture.h"

#include <QImage>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>

namespace tavero {

// Where the camera's samples meet a part being recorded. The webcam
// observer offers pictures from the feed's thread; the part's grab thread
// takes them. One picture at most waits: one offered while another waits is
// dropped at once, so the camera never builds a backlog and the written
// times stay the camera's own. Sound offered goes to the one listener (the
// part's microphone track of a camera-only take). Any thread.
class CameraSamples {
public:
    struct Picture {
        QImage image;
        MonotonicTime captured;
    };

    void offer(const QImage& picture, MonotonicTime captured);
    void offer(const SoundChunk& sound);

    // Waits until a picture waits (true), `deadline` passes or wake() is
    // called (false); a wake while none waits ends the next wait at once.
    bool waitForPicture(MonotonicTime deadline);
    void wake();
    std::optional<Picture> take();

    // Receives the offered sound from now on; none: nobody. Once this
    // returns, the previous listener is not called any more.
    void listen(SoundCapture::ChunkHandler listener);

    // Pictures offered, and those dropped because one was waiting.
    qint64 offered() const;
    qint64 dropped() const;
    // When the latest picture arrived; none before the first.
    std::optional<MonotonicTime> lastArrival() const;

private:
    mutable std::mutex lock_;
    std::condition_variable arrived_;
    std::optional<Picture> waiting_;
    bool woken_ = false;
    qint64 offered_ = 0;
    qint64 dropped_ = 0;
    std::optional<MonotonicTime> lastArrival_;
    std::mutex soundLock_;
    SoundCapture::ChunkHandler listener_;
};

// A sound capture whose only input is the camera samples' sound: the
// microphone the webcam feed delivers. Chunks are handed over as they come.
std::unique_ptr<SoundCapture> listenToCameraSound(const std::shared_ptr<CameraSamples>& samples,
                                                  SoundCapture::ChunkHandler chunk);

// The screen under the portrait of a screen take.
struct PortraitScreen {
    std::unique_ptr<PictureFeed> feed;
    // Pixel size of the screen pictures.
    QSize sourceSize;
    // The recorded area in root pixels, where the pointer is followed.
    QRectF area;
    // Where the pointer is; null: never inside the area.
    std::shared_ptr<PointerSource> pointer;
    RecordingEffects effects;
};

// The pictures of a part with the camera, paced by the camera: each grab
// turns the waiting camera picture into one frame, stamped with the
// camera's time. A camera-only part shows the framing's crop of it; a screen
// part the latest screen picture in the smart-camera look (the live pose),
// with the portrait laid over it as the shared layout says at that moment.
// Used by the part's grab thread alone, except wake().
class PortraitFrameFeed final : public PictureFeed {
public:
    // Camera only: frames of the framing's output size.
    PortraitFrameFeed(std::shared_ptr<CameraSamples> samples, std::shared_ptr<const PortraitState> portrait,
                      const CameraFraming& framing);
    // Over the screen: frames of the smart-camera look's size.
    PortraitFrameFeed(std::shared_ptr<CameraSamples> samples, std::shared_ptr<const PortraitState> portrait,
                      PortraitScreen screen);

    QSize size() const override { return size_; }
    void keepPictures(int count) override { frames_.keep(count); }
    bool waitForChange(MonotonicTime deadline) override;
    void wake() override;
    // Null when no camera picture waits, or, over the screen, before the
    // first screen picture (the camera picture is then dropped).
    QImage grab() override;
    std::optional<MonotonicTime> capturedAt() const override { return capturedAt_; }

private:
    // Draws the frame over the screen into `frame`.
    void overScreen(const QImage& camera, const PortraitLayout& layout, double seconds, QImage& frame);
    // The latest screen picture, grabbed anew only when the screen changed.
    void refreshScreen();

    const std::shared_ptr<CameraSamples> samples_;
    const std::shared_ptr<const PortraitState> portrait_;
    const CameraFraming framing_;
    std::optional<PortraitScreen> screen_;
    std::optional<RecordingCompositor> compositor_;
    RecordingCompositor::Scratch scratch_;
    std::optional<LivePose> pose_;
    QImage latestScreen_;
    QSize size_;
    // The frames' memory, kept for the take.
    PicturePool frames_;
    std::optional<MonotonicTime> capturedAt_;
    std::optional<MonotonicTime> firstCaptured_;
};

}  // namespace tavero
