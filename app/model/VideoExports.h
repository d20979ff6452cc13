#pragma once

#include "recording/VideoExport.h"

#include <QString>

#include <functional>

namespace tavero {

// The two exports of the video workspace and the look at a video being
// opened, as the model calls them: the program keeps VideoExport's, tests
// put in their own. Each answers once on the main thread.
struct VideoExports {
    using Gif = std::function<void(const QString& source, const QString& destination, VideoExport::Completion)>;
    using Trim = std::function<void(const QString& source, double start, double end, const QString& destination,
                                    VideoExport::Completion)>;
    using Check = std::function<void(const QString& source, VideoExport::Check)>;

    Gif gif = VideoExport::gif;
    Trim trim = VideoExport::trim;
    Check check = VideoExport::checkPictures;
};

}  // namespace tavero
