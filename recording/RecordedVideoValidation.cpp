#include "recording/RecordedVideoValidation.h"

#include "platform/media/MediaError.h"
#include "platform/media/PlayableVideo.h"
#include "platform/threads/Background.h"
#include "recording/RecordingMessages.h"

#include <QLoggingCategory>

namespace tavero::RecordedVideoValidation {

namespace {
Q_LOGGING_CATEGORY(lcValidation, "tavero.recording.validation")
}

double duration(const QString& path, const media::CancelToken& cancel) {
    try {
        return media::measurePlayableVideo(path, cancel).duration;
    } catch (const media::MediaError& error) {
        qCDebug(lcValidation) << path << error.what();
        throw ShotError(error.abandoned() ? RecordingMessages::validationTimedOut()
                                          : RecordingMessages::noCompleteVideo());
    }
}

void inBackground(const QString& path, media::CancelToken cancel, std::function<void(Result<double>)> answer) {
    runInBackground([path, cancel = std::move(cancel), answer = std::move(answer)]() mutable {
        Result<double> result = capture([&] { return duration(path, cancel); }, RecordingMessages::noCompleteVideo());
        postToMain([result = std::move(result), answer = std::move(answer)]() mutable { answer(std::move(result)); });
    });
}

}  // namespace tavero::RecordedVideoValidation
