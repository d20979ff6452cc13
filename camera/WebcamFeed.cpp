#include "camera/WebcamFeed.h"

namespace tavero {

void WebcamFeed::accept(const QImage& picture, MonotonicTime captured) {
    std::shared_ptr<const WebcamObserver> observer;
    {
        std::lock_guard guard(lock_);
        if (!picture.isNull()) latest_ = picture;
        observer = observer_;
    }
    if (observer && observer->picture) observer->picture(picture, captured);
}

void WebcamFeed::accept(const SoundChunk& sound) {
    std::shared_ptr<const WebcamObserver> observer;
    {
        std::lock_guard guard(lock_);
        observer = observer_;
    }
    if (observer && observer->sound) observer->sound(sound);
}

QImage WebcamFeed::latest() const {
    std::lock_guard guard(lock_);
    return latest_;
}

void WebcamFeed::observe(std::shared_ptr<const WebcamObserver> observer) {
    std::lock_guard guard(lock_);
    observer_ = std::move(observer);
}

void WebcamFeed::forgetLatest() {
    std::lock_guard guard(lock_);
    latest_ = QImage();
}

}  // namespace tavero
