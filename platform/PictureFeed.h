#pragma once

#include "platform/Scheduler.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <optional>
#include <stdexcept>

namespace tavero {

// What a recording's grab thread reads its pictures from: the screen (a
// display, an area or a window) or, on the camera path, the composited camera
// picture. A feed is made on one thread and then used by the grab thread
// alone, except wake(), which any thread may call.
class PictureFeed {
public:
    // The feed cannot go on: the window closed, the display went away, the
    // screen's connection broke. `description` says so in a few Chinese words
    // ("窗口已关闭"), for the interruption sentence.
    class Lost : public std::runtime_error {
    public:
        explicit Lost(QString description)
            : std::runtime_error(description.toStdString()), description_(std::move(description)) {}
        const QString& description() const noexcept { return description_; }

    private:
        QString description_;
    };

    PictureFeed() = default;
    PictureFeed(const PictureFeed&) = delete;
    PictureFeed& operator=(const PictureFeed&) = delete;
    virtual ~PictureFeed() = default;

    // Pixel size of the pictures when the feed was made.
    virtual QSize size() const = 0;

    // The consumer holds at most `count` pictures at once (those waiting to
    // be written, the one being written, the one being grabbed): the feed
    // may keep that many buffers for its life, so that no picture needs
    // fresh memory. Called before the first grab.
    virtual void keepPictures(int count) { static_cast<void>(count); }

    // Waits until what the pictures show may have changed since the last
    // grab() (true), or until `deadline` passes (false), or until wake() is
    // called (false). A change seen earlier and not yet grabbed answers true
    // at once. Throws Lost.
    virtual bool waitForChange(MonotonicTime deadline) = 0;
    // Ends a waitForChange() at once; one called while none runs ends the
    // next at once, so a wake just before the wait is not lost. Any thread.
    virtual void wake() = 0;
    // The picture as it looks now, in Format_RGB32 (or ARGB32), of size()
    // or, when the source has been resized since, of its new size. It stays
    // as it is while later grabs are made (a few wait for the encoder).
    // Throws Lost. A feed whose pictures come from a device at its own pace
    // (the camera) answers a null picture when nothing new has come: the
    // slot then makes no picture.
    virtual QImage grab() = 0;
    // When the picture of the last grab() was captured, for a feed whose
    // pictures carry their own time (the camera's); none: the grab's time.
    virtual std::optional<MonotonicTime> capturedAt() const { return std::nullopt; }
};

}  // namespace tavero
