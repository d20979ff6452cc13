#pragma once

#include "platform/Result.h"

#include <QString>

#include <functional>

namespace tavero {

// Exports of a finished video into a new file: a looping GIF, or a trimmed
// MP4. Each call returns at once and answers exactly once on the main thread
// with the destination's path or the ShotError that prevented it.
//
// This build has no video pipeline: every export answers with the sentence
// of the step it cannot take, and no file is written.
namespace VideoExport {

using Completion = std::function<void(Result<QString> destination)>;

void gif(const QString& source, const QString& destination, Completion completion);
// `start` and `end` in seconds from the beginning of `source`.
void trim(const QString& source, double start, double end, const QString& destination, Completion completion);

}  // namespace VideoExport
}  // namespace tavero
