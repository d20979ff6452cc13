#pragma once

#include "platform/Result.h"
#include "recording/RecordedVideo.h"

#include <QList>
#include <QString>

#include <functional>

namespace tavero {

// Turns the parts of a take into one video without re-encoding: the parts are
// laid end to end, each starting where the one before it ended (its validated
// duration), their samples copied unchanged. Parts whose streams differ are
// refused rather than joined into a file that cannot play. Sound tracks are
// matched by their tag ("system", "mic") before their position, so a part
// that lost one of its two inputs still puts the other in its place.
//
// The result is published only once it has validated and lasts as long as
// the parts together, and never over an existing file; the parts themselves
// are never changed. A single part is hard-linked, so it costs no space.
namespace RecordingJoiner {

// Joins `parts` (in recording order) into `destination`, which must not
// exist, and returns its validated duration in seconds. Blocks; any thread.
// Throws ShotError.
double join(const QList<RecordedVideo>& parts, const QString& destination);

// join() on the worker pool; `answer` runs once on the main thread.
void inBackground(QList<RecordedVideo> parts, QString destination, std::function<void(Result<double>)> answer);

}  // namespace RecordingJoiner
}  // namespace tavero
