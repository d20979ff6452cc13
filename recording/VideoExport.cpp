#include "recording/VideoExport.h"

#include "platform/MainThread.h"
#include "recording/RecordingMessages.h"

namespace tavero::VideoExport {

namespace {

void answerLater(Completion completion, ShotError error) {
    postToMain([completion = std::move(completion), error = std::move(error)] { completion(error); });
}

}  // namespace

void gif(const QString& source, const QString& destination, Completion completion) {
    Q_UNUSED(source)
    Q_UNUSED(destination)
    answerLater(std::move(completion), ShotError(RecordingMessages::gifNotCreated()));
}

void trim(const QString& source, double start, double end, const QString& destination, Completion completion) {
    Q_UNUSED(source)
    Q_UNUSED(start)
    Q_UNUSED(end)
    Q_UNUSED(destination)
    answerLater(std::move(completion), ShotError(RecordingMessages::trimImpossible()));
}

}  // namespace tavero::VideoExport
