#pragma once

#include "platform/Result.h"
#include "platform/media/CancelToken.h"

#include <QString>

#include <functional>

namespace tavero {

// A part file is trusted only once it has been opened and decoded.
namespace RecordedVideoValidation {

// Seconds of playable video in `path`, once its first and last pictures have
// decoded (media::measurePlayableVideo: a part cut off by a crash counts up to
// its last complete fragment). Blocks; any thread; deletes nothing. Throws
// ShotError: "文件中没有完整的视频画面。" for a missing, empty, truncated,
// audio-only or undecodable file, "录屏文件校验超时。" once cancelled.
double duration(const QString& path, const media::CancelToken& cancel = {});

// duration() on the worker pool; `answer` runs once on the main thread. A
// cancelled check ends early and its answer is of no use to anyone.
void inBackground(const QString& path, media::CancelToken cancel, std::function<void(Result<double>)> answer);

}  // namespace RecordedVideoValidation
}  // namespace tavero
