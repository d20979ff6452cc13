#include "recording/VideoExport.h"

#include "platform/files/PendingFile.h"
#include "platform/media/GifShape.h"
#include "platform/media/GifWriter.h"
#include "platform/media/MediaError.h"
#include "platform/media/PlayableVideo.h"
#include "platform/media/VideoFileReader.h"
#include "platform/media/VideoStretch.h"
#include "platform/threads/Background.h"
#include "recording/JoinSteps.h"
#include "recording/RecordingMessages.h"

#include <QFileInfo>
#include <QSize>

#include <algorithm>
#include <cmath>

namespace tavero::VideoExport {

namespace {

constexpr QSize largestGif(960, 960);
// How far the end of a trim may lie past the video's end.
constexpr double endTolerance = 0.1;
// How far a trimmed file's length may stray from the stretch: one picture
// at 30 a second.
constexpr double lengthTolerance = 1.0 / 30;

// Runs `work` on the worker pool and answers on the main thread.
template <typename Value>
void inBackground(std::function<Value()> work, std::function<void(Result<Value>)> completion, QString fallback) {
    runInBackground([work = std::move(work), completion = std::move(completion), fallback = std::move(fallback)] {
        Result<Value> result = capture(work, fallback);
        postToMain([completion, result = std::move(result)] { completion(result); });
    });
}

// Runs a step of the media layer, answering its failure with `sentence`;
// pictures too large to open, or a container no video is opened from, are
// named as the reason instead.
template <typename Work>
auto withSentence(const QString& sentence, Work&& work) -> decltype(work()) {
    try {
        return work();
    } catch (const media::PictureTooLarge&) {
        throw ShotError(RecordingMessages::videoTooLarge());
    } catch (const media::ContainerNotSupported&) {
        throw ShotError(RecordingMessages::containerNotSupported());
    } catch (const media::MediaError&) {
        throw ShotError(sentence);
    }
}

// A stretch the source cannot give is the source's fault; a disk that took
// no more is full only when it says so; anything else failed in coding.
void writeStretch(media::VideoStretch& stretch, double start, double end, const QString& path) {
    try {
        stretch.write(start, end, path);
    } catch (const media::SourceError&) {
        throw ShotError(RecordingMessages::trimImpossible());
    } catch (const media::WriteError& error) {
        throw ShotError(error.noSpace() ? RecordingMessages::trimNotWritten() : RecordingMessages::trimDiskFailed());
    } catch (const media::MediaError&) {
        throw ShotError(RecordingMessages::trimNotEncoded());
    }
}

// A trim is saved only when its pictures have the source's size and last
// the stretch asked for; otherwise the user reads which it missed.
void requireAsAsked(const media::PlayableVideo& written, QSize size, double seconds) {
    if (written.size != size) throw ShotError(RecordingMessages::trimWrongSize(written.size, size));
    if (std::abs(written.duration - seconds) > lengthTolerance)
        throw ShotError(RecordingMessages::trimWrongLength(written.duration, seconds));
}

PendingFile reserve(const QString& destination, const QString& sentence) {
    std::optional<PendingFile> output = PendingFile::reserve(destination);
    if (!output) throw ShotError(sentence);
    return std::move(*output);
}

// A folder that cannot be written is named as the reason.
PendingFile reserveTrim(const QString& destination) {
    std::optional<PendingFile> output = PendingFile::reserve(destination);
    if (output) return std::move(*output);
    const QFileInfo folder(QFileInfo(destination).absolutePath());
    if (folder.isDir() && !folder.isWritable())
        throw ShotError(RecordingMessages::trimFolderNotWritable(folder.fileName()));
    throw ShotError(RecordingMessages::trimNotWritten());
}

void publish(PendingFile& output, const QString& sentence) {
    switch (output.publish()) {
    case PublishResult::Published:
        return;
    case PublishResult::DestinationExists:
        throw ShotError(JoinSteps::destinationTaken());
    case PublishResult::Failed:
        throw ShotError(sentence);
    }
}

// Scaled down, never up, to fit the largest GIF; its aspect kept.
QSize gifSize(QSize video) {
    if (video.width() <= largestGif.width() && video.height() <= largestGif.height()) return video;
    return video.scaled(largestGif, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

// Whole eighths of a second in the video, at least one.
int gifFrames(double duration) { return std::max(1, int(duration * gifRate)); }

// A start before the end, the end at most a little past the video's, and
// something left between the start and the video's end; NaN fails each.
bool validStretch(double start, double end, double duration) {
    return start >= 0 && start < end && end <= duration + endTolerance && start < std::min(end, duration);
}

}  // namespace

QString writeGif(const QString& source, const QString& destination) {
    const media::CancelToken cancel;
    media::VideoFileReader reader = withSentence(RecordingMessages::videoUnreadable(),
                                                 [&] { return media::VideoFileReader(source, cancel); });
    // What plays, on the time line of the player and the trim: a video cut
    // short gives the pictures before the cut, one whose header declares no
    // length (a live Matroska recording) as many as it holds, and one whose
    // sound starts first its first picture until the pictures begin.
    const media::MovieTimeline timeline = withSentence(
        RecordingMessages::videoUnreadable(), [&] { return media::measurePlayableVideo(source, cancel).timeline; });
    const double duration = timeline.length;
    if (duration > longestGif) throw ShotError(RecordingMessages::gifTooLong());
    // The reader counts from its pictures' start.
    const double picturesFrom = reader.start() - timeline.origin;
    const QSize size = gifSize(reader.size());
    PendingFile output = reserve(destination, RecordingMessages::gifNotCreated());
    media::GifWriter writer = withSentence(RecordingMessages::gifNotCreated(), [&] {
        return media::GifWriter(output.temporaryPath(), size, gifRate, cancel);
    });
    const int frames = gifFrames(duration);
    for (int index = 0; index < frames; ++index) {
        const double time = double(index) / gifRate - picturesFrom;
        const std::optional<media::VideoPicture> picture =
            withSentence(RecordingMessages::videoUnreadable(), [&] { return reader.pictureAt(time, size); });
        if (!picture) throw ShotError(RecordingMessages::videoUnreadable());
        withSentence(RecordingMessages::gifNotEncoded(), [&] { writer.add(picture->image); });
    }
    withSentence(RecordingMessages::gifNotEncoded(), [&] { writer.finish(); });
    const media::GifShape written = withSentence(RecordingMessages::gifNotEncoded(), [&] {
        return media::readGifShape(output.temporaryPath(), cancel);
    });
    if (written.size != size || written.pictures != frames)
        throw ShotError(RecordingMessages::gifWrongShape(written.size, written.pictures, size, frames));
    publish(output, RecordingMessages::gifNotEncoded());
    return destination;
}

QString writeTrim(const QString& source, double start, double end, const QString& destination) {
    const media::CancelToken cancel;
    media::VideoStretch stretch = withSentence(RecordingMessages::trimImpossible(),
                                               [&] { return media::VideoStretch(source, cancel); });
    const double duration = stretch.duration();
    if (!validStretch(start, end, duration)) throw ShotError(RecordingMessages::trimRangeInvalid());
    const double until = std::min(end, duration);
    PendingFile output = reserveTrim(destination);
    writeStretch(stretch, start, until, output.temporaryPath());
    const media::PlayableVideo written = withSentence(RecordingMessages::trimImpossible(), [&] {
        return media::measurePlayableVideo(output.temporaryPath(), cancel);
    });
    requireAsAsked(written, stretch.pictureSize(), until - start);
    publish(output, RecordingMessages::trimDiskFailed());
    return destination;
}

void requirePictures(const QString& source) {
    const bool readable = withSentence(RecordingMessages::videoUnreadable(), [&] {
        return media::VideoFileReader(source, media::CancelToken()).next().has_value();
    });
    if (!readable) throw ShotError(RecordingMessages::videoUnreadable());
}

void checkPictures(const QString& source, Check answer) {
    inBackground<Done>(
        [source] {
            requirePictures(source);
            return Done();
        },
        std::move(answer), RecordingMessages::videoUnreadable());
}

void gif(const QString& source, const QString& destination, Completion completion) {
    inBackground<QString>([source, destination] { return writeGif(source, destination); }, std::move(completion),
                 RecordingMessages::gifNotEncoded());
}

void trim(const QString& source, double start, double end, const QString& destination, Completion completion) {
    inBackground<QString>([source, start, end, destination] { return writeTrim(source, start, end, destination); },
                 std::move(completion), RecordingMessages::trimNotWritten());
}

}  // namespace tavero::VideoExport
