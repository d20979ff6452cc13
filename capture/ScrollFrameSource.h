#pragma once

#include "capture/CaptureRegion.h"
#include "platform/ShotError.h"
#include "platform/desktop/ScreenContent.h"

#include <QImage>

#include <functional>

namespace tavero {

// A live series of pictures of one region, for a scrolling screenshot. The
// session makes one per capture, starts it with the screen's content and
// stops it when the user finishes. Every callback runs on the main thread,
// and none runs once the source is destroyed. Main thread.
class ScrollFrameSource {
public:
    using FrameHandler = std::function<void(const QImage&)>;
    using FailureHandler = std::function<void(const ShotError&)>;

    virtual ~ScrollFrameSource() = default;

    // Starts handing pictures of `region`, in ImageOps::surfaceFormat, to
    // `frame`; `failed` reports a stream that stopped by itself. Throws
    // ShotError when the region's display is not in `content`.
    virtual void start(const CaptureRegion& region, const ShareableContent& content, FrameHandler frame,
                       FailureHandler failed) = 0;
    // Stops; `completion` runs after every picture already on its way. With
    // no running stream it runs at once, before stop returns.
    virtual void stop(std::function<void()> completion) = 0;
};

}  // namespace tavero
