#pragma once

#include "platform/Result.h"
#include "recording/RecordedVideo.h"

#include <QList>
#include <QString>

#include <functional>

namespace tavero {

// The join of a camera take, whose parts may carry system sound and the
// microphone as two tracks: the parts are joined (RecordingJoiner) into an
// intermediate file beside the destination, whose video is then copied and
// whose sound tracks are mixed, 0.8 each, into the destination's one track.
// Parts with at most one sound track each are simply joined.
//
// Room for both files is checked first; the mix is published only once it
// validates, lasts as long as the intermediate file and has exactly one
// sound track, never over an existing file. The intermediate file goes
// after the mix, whether it succeeded or not; the parts always stay.
namespace RecordingAudioMixJoiner {

// Joins and mixes `parts` (in recording order) into `destination`, which must
// not exist, and returns its validated duration in seconds. Blocks; any
// thread. Throws ShotError.
double join(const QList<RecordedVideo>& parts, const QString& destination);

// join() on the worker pool; `answer` runs once on the main thread.
void inBackground(QList<RecordedVideo> parts, QString destination, std::function<void(Result<double>)> answer);

}  // namespace RecordingAudioMixJoiner
}  // namespace tavero
