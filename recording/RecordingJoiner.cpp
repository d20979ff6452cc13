#include "recording/RecordingJoiner.h"

#include "platform/media/Concatenation.h"
#include "platform/media/MediaError.h"
#include "recording/JoinSteps.h"
#include "recording/RecordedVideoValidation.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLoggingCategory>

#include <cmath>
#include <filesystem>
#include <system_error>

namespace tavero::RecordingJoiner {

namespace {

Q_LOGGING_CATEGORY(lcJoiner, "tavero.recording.joiner")

constexpr double durationTolerance = 0.15;

QString partsDiffer() { return QStringLiteral("各片段的画面或声音格式不一致，无法直接合并，已保留片段。"); }
QString wrongLength() { return QStringLiteral("合并后的时长不符合预期，已保留片段。"); }

std::filesystem::path fsPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

// The output track a part's track belongs to: sound by its tag where it has
// one of ours, so a part that lost one of its two inputs still puts the
// other in its place; otherwise by its position among its kind.
QString trackKey(const media::MediaTrack& track, int position) {
    if (track.kind == media::TrackKind::video) return QStringLiteral("video %1").arg(position);
    if (track.tag == QStringLiteral("system") || track.tag == QStringLiteral("mic")) return track.tag;
    return QStringLiteral("sound %1").arg(position);
}

// Which stream of every part fills which output track: pictures first, then
// sound, each in the order the parts bring them. Throws ShotError when a
// part's track does not code like the first one in its place.
class TrackPlan {
public:
    void add(const QList<media::MediaTrack>& tracks) {
        QHash<QString, int> streams;
        int pictures = 0;
        int sounds = 0;
        for (const media::MediaTrack& track : tracks) {
            QString key = trackKey(track, track.kind == media::TrackKind::video ? pictures++ : sounds++);
            if (streams.contains(key)) key += QStringLiteral(" again");
            if (streams.contains(key)) continue;
            streams.insert(key, track.stream);
            const qsizetype slot = keys_.indexOf(key);
            if (slot < 0) {
                keys_.append(key);
                codings_.append(track.coding);
                video_.append(track.kind == media::TrackKind::video);
            } else if (codings_[slot] != track.coding) {
                throw ShotError(partsDiffer());
            }
        }
        parts_.append(streams);
    }

    // Every part's share, with the output tracks ordered pictures first.
    QList<media::ConcatSource> sources(const QList<RecordedVideo>& parts) const {
        QList<qsizetype> order;
        for (const bool pictures : {true, false})
            for (qsizetype slot = 0; slot < keys_.size(); ++slot)
                if (video_[slot] == pictures) order.append(slot);
        QList<media::ConcatSource> sources;
        for (qsizetype part = 0; part < parts.size(); ++part) {
            media::ConcatSource source{parts[part].url, parts[part].duration, {}};
            for (const qsizetype slot : order) source.streams.append(parts_[part].value(keys_[slot], -1));
            sources.append(source);
        }
        return sources;
    }

private:
    QStringList keys_;
    QList<media::TrackCoding> codings_;
    QList<bool> video_;
    QList<QHash<QString, int>> parts_;
};

QList<media::ConcatSource> planJoin(const QList<RecordedVideo>& parts) {
    TrackPlan plan;
    for (const RecordedVideo& part : parts) plan.add(JoinSteps::tracksOf(part.url));
    return plan.sources(parts);
}

double joinSeveral(const QList<RecordedVideo>& parts, const QString& destination) {
    JoinSteps::requireRoom(JoinSteps::totalSize(parts), destination);
    const QList<media::ConcatSource> sources = planJoin(parts);
    PendingFile output = JoinSteps::reserve(destination);
    try {
        media::concatenate(sources, output.temporaryPath());
    } catch (const media::MediaError& error) {
        qCWarning(lcJoiner) << destination << error.what();
        throw ShotError(JoinSteps::writeFailed());
    }
    const double seconds = RecordedVideoValidation::duration(output.temporaryPath());
    double expected = 0;
    for (const media::ConcatSource& source : sources) expected += std::llround(source.length * 1e6) / 1e6;
    if (!(std::abs(seconds - expected) < durationTolerance)) {
        qCWarning(lcJoiner) << destination << "lasts" << seconds << "instead of" << expected;
        throw ShotError(wrongLength());
    }
    JoinSteps::publish(output);
    return seconds;
}

// Where hard links cannot reach the destination: a copy, once it fits.
double copyOne(const RecordedVideo& part, const QString& destination) {
    JoinSteps::requireRoom(QFileInfo(part.url).size(), destination);
    PendingFile output = JoinSteps::reserve(destination);
    std::error_code failure;
    std::filesystem::copy_file(fsPath(part.url), fsPath(output.temporaryPath()),
                               std::filesystem::copy_options::overwrite_existing, failure);
    if (failure) {
        qCWarning(lcJoiner) << destination << failure.message().c_str();
        throw ShotError(JoinSteps::writeFailed());
    }
    const double seconds = RecordedVideoValidation::duration(output.temporaryPath());
    JoinSteps::publish(output);
    return seconds;
}

// One part needs no joining: the destination becomes a second name of the
// part, which costs no space and leaves the part as it is.
double joinOne(const RecordedVideo& part, const QString& destination) {
    const double seconds = RecordedVideoValidation::duration(part.url);
    std::error_code failure;
    std::filesystem::create_hard_link(fsPath(part.url), fsPath(destination), failure);
    if (!failure) return seconds;
    if (failure == std::errc::file_exists) throw ShotError(JoinSteps::destinationTaken());
    qCDebug(lcJoiner) << "copying, no hard link:" << failure.message().c_str();
    return copyOne(part, destination);
}

}  // namespace

double join(const QList<RecordedVideo>& parts, const QString& destination) {
    if (parts.isEmpty()) throw ShotError(JoinSteps::noParts());
    JoinSteps::refuseExisting(destination);
    if (parts.size() == 1) return joinOne(parts.front(), destination);
    return joinSeveral(parts, destination);
}

void inBackground(QList<RecordedVideo> parts, QString destination, std::function<void(Result<double>)> answer) {
    JoinSteps::inBackground([parts = std::move(parts), destination = std::move(destination)] { return join(parts, destination); },
                            std::move(answer));
}

}  // namespace tavero::RecordingJoiner
