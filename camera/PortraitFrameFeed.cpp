#include "camera/PortraitFrameFeed.h"

#include "camera/PortraitCompositor.h"

namespace tavero {

void CameraSamples::offer(const QImage& picture, MonotonicTime captured) {
    if (picture.isNull()) return;
    {
        std::lock_guard guard(lock_);
        ++offered_;
        lastArrival_ = std::chrono::steady_clock::now();
        if (waiting_) {
            ++dropped_;
            return;
        }
        waiting_ = Picture{picture, captured};
    }
    arrived_.notify_all();
}

void CameraSamples::offer(const SoundChunk& sound) {
    std::lock_guard guard(soundLock_);
    if (listener_) listener_(sound);
}

bool CameraSamples::waitForPicture(MonotonicTime deadline) {
    std::unique_lock guard(lock_);
    arrived_.wait_until(guard, deadline, [&] { return waiting_ || woken_; });
    woken_ = false;
    return waiting_.has_value();
}

void CameraSamples::wake() {
    {
        std::lock_guard guard(lock_);
        woken_ = true;
    }
    arrived_.notify_all();
}

std::optional<CameraSamples::Picture> CameraSamples::take() {
    std::lock_guard guard(lock_);
    std::optional<Picture> picture = std::move(waiting_);
    waiting_.reset();
    return picture;
}

void CameraSamples::listen(SoundCapture::ChunkHandler listener) {
    std::lock_guard guard(soundLock_);
    listener_ = std::move(listener);
}

qint64 CameraSamples::offered() const {
    std::lock_guard guard(lock_);
    return offered_;
}

qint64 CameraSamples::dropped() const {
    std::lock_guard guard(lock_);
    return dropped_;
}

std::optional<MonotonicTime> CameraSamples::lastArrival() const {
    std::lock_guard guard(lock_);
    return lastArrival_;
}

namespace {

class CameraSound final : public SoundCapture {
public:
    CameraSound(std::shared_ptr<CameraSamples> samples, ChunkHandler chunk) : samples_(std::move(samples)) {
        samples_->listen(std::move(chunk));
    }
    ~CameraSound() override { samples_->listen(nullptr); }

private:
    const std::shared_ptr<CameraSamples> samples_;
};

}  // namespace

std::unique_ptr<SoundCapture> listenToCameraSound(const std::shared_ptr<CameraSamples>& samples,
                                                  SoundCapture::ChunkHandler chunk) {
    return std::make_unique<CameraSound>(samples, std::move(chunk));
}

PortraitFrameFeed::PortraitFrameFeed(std::shared_ptr<CameraSamples> samples,
                                     std::shared_ptr<const PortraitState> portrait, const CameraFraming& framing)
    : samples_(std::move(samples)), portrait_(std::move(portrait)), framing_(framing), size_(framing.outputSize()) {}

PortraitFrameFeed::PortraitFrameFeed(std::shared_ptr<CameraSamples> samples,
                                     std::shared_ptr<const PortraitState> portrait, PortraitScreen screen)
    : samples_(std::move(samples)), portrait_(std::move(portrait)) {
    compositor_.emplace(screen.sourceSize, screen.effects);
    pose_.emplace(screen.area, screen.effects);
    size_ = compositor_->outputSize();
    // The latest screen picture, and the next one while it is grabbed.
    screen.feed->keepPictures(2);
    screen_ = std::move(screen);
}

bool PortraitFrameFeed::waitForChange(MonotonicTime deadline) { return samples_->waitForPicture(deadline); }

void PortraitFrameFeed::wake() { samples_->wake(); }

QImage PortraitFrameFeed::grab() {
    std::optional<CameraSamples::Picture> camera = samples_->take();
    if (!camera) return {};
    if (screen_) {
        refreshScreen();
        // Nothing is written before the first screen picture.
        if (latestScreen_.isNull()) return {};
    }
    const MonotonicTime first = firstCaptured_.value_or(camera->captured);
    firstCaptured_ = first;
    capturedAt_ = camera->captured;
    const PortraitLayout layout = portrait_->get();
    QImage frame = frames_.take(size_, RecordingCompositor::frameFormat);
    if (frame.isNull()) return {};
    if (screen_) overScreen(camera->image, layout, Seconds(camera->captured - first).count(), frame);
    else framing_.renderInto(camera->image, layout.mirrored, frame);
    return frame;
}

void PortraitFrameFeed::refreshScreen() {
    if (!latestScreen_.isNull() && !screen_->feed->waitForChange(std::chrono::steady_clock::now())) return;
    latestScreen_ = screen_->feed->grab();
}

void PortraitFrameFeed::overScreen(const QImage& camera, const PortraitLayout& layout, double seconds,
                                   QImage& frame) {
    QPointF pointer(-1e9, -1e9);
    bool pressed = false;
    if (screen_->pointer)
        if (const std::optional<PointerState> state = screen_->pointer->pointer()) {
            pointer = state->position;
            pressed = state->buttons != 0;
        }
    const CameraPose& pose = pose_->advance(seconds, pointer, pressed);
    compositor_->frameInto(latestScreen_, pose, frame, scratch_);
    PortraitCompositor::paint(camera, frame, layout);
}

}  // namespace tavero
