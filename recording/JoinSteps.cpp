#include "recording/JoinSteps.h"

#include "platform/media/MediaError.h"
#include "platform/threads/Background.h"
#include "recording/RecordingDiskSpace.h"

#include <QFileInfo>
#include <QLoggingCategory>

namespace tavero::JoinSteps {

namespace {
Q_LOGGING_CATEGORY(lcJoin, "tavero.recording.join")
}

QList<media::MediaTrack> tracksOf(const QString& part) {
    try {
        return media::readTracks(part);
    } catch (const media::MediaError& error) {
        qCWarning(lcJoin) << part << error.what();
        throw ShotError(partUnreadable());
    }
}

void refuseExisting(const QString& destination) {
    const QFileInfo target(destination);
    if (target.exists() || target.isSymLink()) throw ShotError(destinationTaken());
}

void requireRoom(qint64 bytes, const QString& destination) {
    const auto available = RecordingDiskSpace::available(destination);
    if (available && *available < bytes + joinReserve) throw ShotError(noRoom());
}

qint64 totalSize(const QList<RecordedVideo>& parts) {
    qint64 total = 0;
    for (const RecordedVideo& part : parts) total += QFileInfo(part.url).size();
    return total;
}

PendingFile reserve(const QString& destination) {
    std::optional<PendingFile> output = PendingFile::reserve(destination);
    if (!output) throw ShotError(writeFailed());
    return std::move(*output);
}

void publish(PendingFile& output) {
    switch (output.publish()) {
    case PublishResult::Published:
        return;
    case PublishResult::DestinationExists:
        throw ShotError(destinationTaken());
    case PublishResult::Failed:
        throw ShotError(writeFailed());
    }
}

void inBackground(std::function<double()> join, std::function<void(Result<double>)> answer) {
    runInBackground([join = std::move(join), answer = std::move(answer)]() mutable {
        Result<double> result = capture(join, writeFailed());
        postToMain([result = std::move(result), answer = std::move(answer)]() mutable { answer(std::move(result)); });
    });
}

}  // namespace tavero::JoinSteps
