#include "recording/RecordingAudioMixJoiner.h"

#include "platform/media/MediaError.h"
#include "platform/media/SoundMix.h"
#include "recording/JoinSteps.h"
#include "recording/RecordedVideoValidation.h"
#include "recording/RecordingJoiner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QUuid>

#include <algorithm>
#include <cmath>

namespace tavero::RecordingAudioMixJoiner {

namespace {

Q_LOGGING_CATEGORY(lcMix, "tavero.recording.mix")

constexpr float trackGain = 0.8f;
constexpr double durationTolerance = 0.15;

QString mixImpossible() { return QStringLiteral("无法合成系统声音与麦克风，原始片段已保留。"); }
QString mixIncomplete() { return QStringLiteral("声音合成未完成，原始片段已保留。"); }

qsizetype soundTracks(const QList<media::MediaTrack>& tracks) {
    return std::count_if(tracks.begin(), tracks.end(),
                         [](const media::MediaTrack& track) { return track.kind == media::TrackKind::sound; });
}

bool needsMix(const QList<RecordedVideo>& parts) {
    return std::any_of(parts.begin(), parts.end(),
                       [](const RecordedVideo& part) { return soundTracks(JoinSteps::tracksOf(part.url)) >= 2; });
}

QString intermediateFor(const QString& destination) {
    const QString name = QStringLiteral("声音合成前_") + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper()
                         + QStringLiteral(".mp4");
    return QFileInfo(destination).dir().filePath(name);
}

// Removes the intermediate file once the mix is done with it, however it went.
class Intermediate {
public:
    explicit Intermediate(QString path) : path_(std::move(path)) {}
    ~Intermediate() { QFile::remove(path_); }
    Intermediate(const Intermediate&) = delete;
    Intermediate& operator=(const Intermediate&) = delete;
    const QString& path() const { return path_; }

private:
    QString path_;
};

double mix(const Intermediate& joined, double joinedSeconds, const QString& destination) {
    PendingFile output = JoinSteps::reserve(destination);
    try {
        media::mixSoundTracks(joined.path(), output.temporaryPath(), trackGain);
    } catch (const media::MediaError& error) {
        qCWarning(lcMix) << destination << error.what();
        throw ShotError(mixImpossible());
    }
    const double seconds = RecordedVideoValidation::duration(output.temporaryPath());
    if (!(std::abs(seconds - joinedSeconds) < durationTolerance)
        || soundTracks(JoinSteps::tracksOf(output.temporaryPath())) != 1) {
        qCWarning(lcMix) << destination << "lasts" << seconds << "instead of" << joinedSeconds;
        throw ShotError(mixIncomplete());
    }
    JoinSteps::publish(output);
    return seconds;
}

}  // namespace

double join(const QList<RecordedVideo>& parts, const QString& destination) {
    if (parts.isEmpty()) throw ShotError(JoinSteps::noParts());
    JoinSteps::refuseExisting(destination);
    if (!needsMix(parts)) return RecordingJoiner::join(parts, destination);
    // The joined file and the mix stand side by side until the mix is done.
    JoinSteps::requireRoom(2 * JoinSteps::totalSize(parts), destination);
    const QString intermediate = intermediateFor(destination);
    const double joinedSeconds = RecordingJoiner::join(parts, intermediate);
    return mix(Intermediate(intermediate), joinedSeconds, destination);
}

void inBackground(QList<RecordedVideo> parts, QString destination, std::function<void(Result<double>)> answer) {
    JoinSteps::inBackground([parts = std::move(parts), destination = std::move(destination)] { return join(parts, destination); },
                            std::move(answer));
}

}  // namespace tavero::RecordingAudioMixJoiner
