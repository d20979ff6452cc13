#include "camera/SmartVideoRender.h"

#include "platform/threads/HandOffQueues.h"
#include "camera/RecordingCompositor.h"
#include "camera/SmartCameraTrack.h"
#include "camera/SmartVideoMessages.h"
#include "document/ImageOps.h"
#include "platform/files/PendingFile.h"
#include "platform/threads/ThreadName.h"
#include "platform/media/MediaError.h"
#include "platform/media/MediaTracks.h"
#include "platform/media/PlayableVideo.h"
#include "platform/media/VideoFileReader.h"
#include "recording/JoinSteps.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace tavero {

namespace {

Q_LOGGING_CATEGORY(lcRender, "tavero.camera.render")

// Pictures waiting between two stages: enough to smooth out their
// differences, few enough to keep a render's memory small.
constexpr std::size_t queueLength = 4;
// A frame takes longer to compose than to decode, and the encoder spreads
// over threads of its own: two composers keep pace with both.
constexpr int composers = 2;
// A source picture stamped this little after a grid time still counts as
// shown at it: times rounded through a file's time base land a hair off.
constexpr double sameTime = 1e-4;
// The largest output coded as H.264.
constexpr QSize largestH264(4096, 2304);

// Thrown where a stage notices the render was cancelled.
class Abandoned : public std::exception {};

void stopIfCancelled(const media::CancelToken& cancel) {
    if (cancel.cancelled()) throw Abandoned();
}

// A source picture and the grid step it is shown at.
struct GridPicture {
    QImage source;
    int index = 0;
};

// The first failure of any of a render's threads. Recording it closes both
// queues, so every other thread stops at its next hand-over.
class Failure {
public:
    Failure(BoundedQueue<GridPicture>& sources, OrderedQueue<QImage>& frames) : sources_(sources), frames_(frames) {}

    void record(std::exception_ptr error) {
        {
            std::lock_guard lock(mutex_);
            if (!first_) first_ = error;
        }
        sources_.close();
        frames_.close();
    }
    bool happened() {
        std::lock_guard lock(mutex_);
        return bool(first_);
    }
    void rethrow() {
        std::lock_guard lock(mutex_);
        if (first_) std::rethrow_exception(first_);
    }

private:
    BoundedQueue<GridPicture>& sources_;
    OrderedQueue<QImage>& frames_;
    std::mutex mutex_;
    std::exception_ptr first_;
};

// Runs `work` where a media failure means `sentence`.
template <typename Work>
auto withSentence(const QString& sentence, Work work) {
    try {
        return work();
    } catch (const media::MediaError& error) {
        if (!error.abandoned()) qCWarning(lcRender) << error.what();
        throw ShotError(sentence);
    }
}

// Runs one stage of the pipeline on its thread: any failure is recorded
// instead of leaving the thread.
template <typename Work>
void runStage(Failure& failure, const QString& sentence, Work work) {
    try {
        withSentence(sentence, work);
    } catch (...) {
        failure.record(std::current_exception());
    }
}

void requireVideo(const QString& source, const media::CancelToken& cancel) {
    const QList<media::MediaTrack> tracks =
        withSentence(SmartVideoMessages::sourceUnreadable(), [&] { return media::readTracks(source, cancel); });
    for (const media::MediaTrack& track : tracks)
        if (track.kind == media::TrackKind::video) return;
    throw ShotError(SmartVideoMessages::noVideo());
}

// Grid steps up to the end of the video (a step that starts within a
// rounding error of the end is left out).
int gridLength(double duration) {
    if (!std::isfinite(duration) || duration <= 0) throw ShotError(SmartVideoMessages::sourceUnreadable());
    return std::max(1, int(std::ceil(duration * SmartVideoRender::rate - 1e-3)));
}

// The blurred still the project names, beside the source; null when it
// names none or the file does not read, and the picture is its own backdrop.
QImage backdropOf(const QString& source, const RecordingProject& project) {
    if (!project.backgroundFile) return {};
    try {
        return ImageOps::load(QFileInfo(source).dir().filePath(*project.backgroundFile));
    } catch (...) {
        return {};
    }
}

// One render's stages and the queues between them.
class Pipeline {
public:
    Pipeline(media::VideoFileReader& reader, media::VideoFileWriter& writer, const RecordingCompositor& compositor,
             const SmartCameraTrack& track, int pictures, const media::CancelToken& cancel, RenderProgress& progress)
        : reader_(reader),
          writer_(writer),
          compositor_(compositor),
          track_(track),
          pictures_(pictures),
          cancel_(cancel),
          progress_(progress) {}

    // Blocks until the last picture is written and the file completed.
    // Throws the first failure of any stage.
    void run() {
        std::vector<std::thread> composing;
        for (int composer = 0; composer < composers; ++composer)
            composing.emplace_back([this] {
                nameThisThread("tavero-compose");
                runStage(failure_, SmartVideoMessages::writeFailed(), [this] { compose(); });
                if (++composersDone_ == composers) frames_.close();
            });
        std::thread coding([this] {
            nameThisThread("tavero-code");
            runStage(failure_, SmartVideoMessages::writeFailed(), [this] { code(); });
        });
        runStage(failure_, SmartVideoMessages::sourceUnreadable(), [this] { decode(); });
        sources_.close();
        for (std::thread& composer : composing) composer.join();
        coding.join();
        failure_.rethrow();
    }

private:
    // Hands on, for every grid step, the last source picture at or before it.
    void decode() {
        std::optional<media::VideoPicture> shown = reader_.next();
        if (!shown) throw ShotError(SmartVideoMessages::sourceUnreadable());
        std::optional<media::VideoPicture> upcoming = reader_.next();
        for (int index = 0; index < pictures_; ++index) {
            stopIfCancelled(cancel_);
            const double time = double(index) / SmartVideoRender::rate;
            while (upcoming && upcoming->time <= time + sameTime) {
                shown = std::move(upcoming);
                upcoming = reader_.next();
            }
            if (!sources_.push({shown->image, index})) return;
        }
    }

    void compose() {
        qint64 lastSource = 0;
        CameraPose lastPose;
        QImage lastFrame;
        while (std::optional<GridPicture> picture = sources_.pop()) {
            const CameraPose pose = track_.at(double(picture->index) / SmartVideoRender::rate);
            // A still picture under a camera at rest need not be composed again.
            const bool same = picture->source.cacheKey() == lastSource && pose.x == lastPose.x &&
                              pose.y == lastPose.y && pose.zoom == lastPose.zoom;
            if (!same) lastFrame = compositor_.frame(picture->source, pose);
            lastSource = picture->source.cacheKey();
            lastPose = pose;
            if (!frames_.put(picture->index, lastFrame)) return;
        }
    }

    void code() {
        while (std::optional<QImage> frame = frames_.take()) {
            if (failure_.happened()) return;
            writer_.writePicture(*frame);
            progress_.pictureWritten();
        }
        if (failure_.happened()) return;
        writer_.finish();
    }

    media::VideoFileReader& reader_;
    media::VideoFileWriter& writer_;
    const RecordingCompositor& compositor_;
    const SmartCameraTrack& track_;
    const int pictures_;
    const media::CancelToken& cancel_;
    RenderProgress& progress_;
    BoundedQueue<GridPicture> sources_{queueLength};
    OrderedQueue<QImage> frames_{int(queueLength)};
    std::atomic<int> composersDone_{0};
    Failure failure_{sources_, frames_};
};

// The written file plays for as long as the grid. Throws ShotError.
void checkWritten(const QString& path, int pictures, const media::CancelToken& cancel) {
    const double expected = double(pictures) / SmartVideoRender::rate;
    const media::PlayableVideo written =
        withSentence(SmartVideoMessages::writeFailed(), [&] { return media::measurePlayableVideo(path, cancel); });
    if (std::abs(written.duration - expected) > 0.5 / SmartVideoRender::rate) {
        qCWarning(lcRender) << "rendered" << written.duration << "s instead of" << expected;
        throw ShotError(SmartVideoMessages::writeFailed());
    }
}

void publish(PendingFile& output) {
    switch (output.publish()) {
    case PublishResult::Published:
        return;
    case PublishResult::DestinationExists:
        throw ShotError(JoinSteps::destinationTaken());
    case PublishResult::Failed:
        throw ShotError(SmartVideoMessages::writeFailed());
    }
}

}  // namespace

double RenderProgress::fraction() const {
    const int total = total_;
    return total > 0 ? std::min(1.0, double(done_) / total) : 0;
}

media::VideoCodec SmartVideoRender::codecFor(QSize outputSize) {
    const bool fits = outputSize.width() <= largestH264.width() && outputSize.height() <= largestH264.height();
    return fits ? media::VideoCodec::h264 : media::VideoCodec::hevc;
}

void SmartVideoRender::render(const QString& source, const QString& destination, const RecordingProject& project,
                              const media::CancelToken& cancel, RenderProgress& progress) {
    requireVideo(source, cancel);
    media::VideoFileReader reader = withSentence(SmartVideoMessages::sourceUnreadable(),
                                                 [&] { return media::VideoFileReader(source, cancel); });
    double duration = reader.duration();
    if (!(duration > 0)) duration = project.duration;
    const int pictures = gridLength(duration);
    const RecordingCompositor compositor(reader.size(), project.effects, backdropOf(source, project));
    const SmartCameraTrack track(project.samples, project.effects);

    std::optional<PendingFile> output = PendingFile::reserve(destination);
    if (!output) throw ShotError(SmartVideoMessages::notCreated());
    const media::VideoFileFormat format{compositor.outputSize(), codecFor(compositor.outputSize()), rate,
                                        pictures,                source,  reader.start()};
    media::VideoFileWriter writer = withSentence(SmartVideoMessages::notCreated(), [&] {
        return media::VideoFileWriter(output->temporaryPath(), format, cancel);
    });
    progress.begin(pictures);
    Pipeline(reader, writer, compositor, track, pictures, cancel, progress).run();
    checkWritten(output->temporaryPath(), pictures, cancel);
    stopIfCancelled(cancel);
    publish(*output);
}

}  // namespace tavero
