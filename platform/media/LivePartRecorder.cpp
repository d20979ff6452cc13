#include "platform/media/LivePartRecorder.h"

#include "platform/media/MediaError.h"
#include "platform/media/MediaHandles.h"
#include "platform/media/PartWriter.h"
#include "platform/media/PictureConverter.h"
#include "platform/threads/ThreadName.h"

#include <QLoggingCategory>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace tavero::media {

Q_LOGGING_CATEGORY(lcLivePart, "tavero.recording")

namespace {

using Clock = std::chrono::steady_clock;

// At most 30 pictures a second.
constexpr auto slot = std::chrono::duration_cast<Clock::duration>(Seconds(1.0 / 30));
// A picture at least this often, changed or not, so that keyframes and
// fragments keep coming.
constexpr auto longestWait = std::chrono::duration_cast<Clock::duration>(Seconds(1.0));
// Pictures waiting for the encoder at most.
constexpr size_t queueLimit = 3;

QString pictureWriteFailed() { return QStringLiteral("无法写入录屏文件"); }
QString pictureGrabFailed() { return QStringLiteral("无法读取录屏画面"); }

PartFormat partFormat(const LivePartFormat& format) {
    QStringList names;
    for (qsizetype track = 0; track < format.tracks.size(); ++track) names << format.trackNames.value(track);
    return {format.size, names};
}

}  // namespace

struct LivePartRecorder::State {
    // A grabbed picture converted for the encoder at once, so that the
    // screen's buffer is free for the next grab and what waits is 4:2:0
    // (a 4K picture waits in 12 MB instead of 33).
    struct Picture {
        Frame frame;
        // Seconds from the part's first picture.
        double seconds = 0;
    };

    std::unique_ptr<PictureFeed> feed;
    Started started;
    Failed failed;
    // Sound is written into the writer, so it goes first.
    std::unique_ptr<PartWriter> writer;
    std::unique_ptr<SoundRecorder> sound;

    // The grab thread's: the first picture's time, and the conversion.
    std::optional<MonotonicTime> origin;
    std::optional<PictureConverter> converter;

    std::mutex lock;
    std::condition_variable changed;
    std::deque<Picture> queue;
    // Frames written and free again: the queue's, the one being written and
    // the one being converted, made once for the part.
    std::vector<Frame> spareFrames;
    // Grabbing goes on, or stops with a last picture (the part is finished),
    // or just stops (abandoned, failed). The first request counts.
    enum class Grabbing { on, finishing, stopping };
    Grabbing grabbing = Grabbing::on;
    // No more pictures come: the encoder writes what is queued and ends.
    bool grabbingEnded = false;
    // The encoder ends at once, leaving what is queued.
    bool abandon = false;
    qint64 written = 0;
    qint64 dropped = 0;

    // Held while `failed` runs, so that no report comes once finishing began.
    std::mutex reportLock;
    bool reported = false;
    bool finishing = false;

    std::thread grabber;
    std::thread encoder;
    // The owner's: finish() was called, and what it answered.
    bool finishCalled = false;
    std::optional<LivePartReport> report;

    void fail(const QString& description) {
        std::lock_guard guard(reportLock);
        if (reported || finishing) return;
        reported = true;
        failed(description);
    }

    void beginFinishing() {
        std::lock_guard guard(reportLock);
        finishing = true;
    }

    // The grab thread.
    void grabPictures() {
        nameThisThread("tavero-grab");
        try {
            takePictures();
        } catch (const PictureFeed::Lost& lost) {
            qCWarning(lcLivePart) << "picture feed lost:" << lost.what();
            fail(lost.description());
        } catch (const std::exception& error) {
            qCWarning(lcLivePart) << "picture not grabbed:" << error.what();
            fail(pictureGrabFailed());
        }
        {
            std::lock_guard guard(lock);
            grabbingEnded = true;
        }
        changed.notify_all();
    }

    void takePictures() {
        // The slot of the last picture: the next comes a slot later at the
        // earliest, and a second later at the latest.
        MonotonicTime last = Clock::now();
        grabPicture();
        for (;;) {
            const MonotonicTime earliest = last + slot;
            if (!sleepUntil(earliest)) return;
            const bool change = feed->waitForChange(last + longestWait);
            const MonotonicTime now = Clock::now();
            const Grabbing state = grabbingState();
            if (state != Grabbing::on) {
                // The part lasts until it was finished, also on a still screen.
                if (state == Grabbing::finishing) grabPicture();
                return;
            }
            if (!change && now < last + longestWait) continue;
            // On time: keep to the slots. Late by a slot or more: that slot
            // is gone, and this picture starts them anew.
            last = now < earliest + slot ? earliest : now;
            grabPicture();
        }
    }

    void grabPicture() {
        const MonotonicTime before = Clock::now();
        QImage image = feed->grab();
        if (image.isNull()) return;
        const MonotonicTime grabbed = feed->capturedAt().value_or(before + (Clock::now() - before) / 2);
        // The part's time zero is the first picture that is really queued.
        const MonotonicTime zero = origin.value_or(grabbed);
        if (!enqueue(std::move(image), Seconds(grabbed - zero).count()) || origin) return;
        origin = grabbed;
        if (sound) sound->setOrigin(grabbed);
    }

    // Waits until `deadline`; false when grabbing is to stop.
    bool sleepUntil(MonotonicTime deadline) {
        std::unique_lock guard(lock);
        return !changed.wait_until(guard, deadline, [&] { return grabbing != Grabbing::on; });
    }

    Grabbing grabbingState() {
        std::lock_guard guard(lock);
        return grabbing;
    }

    // The newest picture is dropped, unconverted, when the encoder is
    // behind: the queue never grows, and the grab thread never waits for
    // the encoder. Only this thread adds to the queue, so it has room still
    // once the picture is converted.
    bool enqueue(const QImage& image, double seconds) {
        Frame frame;
        {
            std::lock_guard guard(lock);
            if (queue.size() >= queueLimit) {
                if (dropped++ == 0) qCWarning(lcLivePart) << "the encoder fell behind; dropping pictures";
                return false;
            }
            if (!spareFrames.empty()) {
                frame = std::move(spareFrames.back());
                spareFrames.pop_back();
            }
        }
        if (!frame) frame = converter->makeFrame();
        converter->convert(image, *frame);
        {
            std::lock_guard guard(lock);
            queue.push_back({std::move(frame), seconds});
        }
        changed.notify_all();
        return true;
    }

    // The encoder thread.
    void writePictures() {
        nameThisThread("tavero-encode");
        for (;;) {
            Picture picture;
            {
                std::unique_lock guard(lock);
                changed.wait(guard, [&] { return abandon || !queue.empty() || grabbingEnded; });
                if (abandon || queue.empty()) return;
                picture = std::move(queue.front());
                queue.pop_front();
            }
            if (!write(picture)) return;
            std::lock_guard guard(lock);
            spareFrames.push_back(std::move(picture.frame));
        }
    }

    // False when the file refused it: the part cannot go on.
    bool write(const Picture& picture) {
        try {
            if (!writer->writePicture(*picture.frame, picture.seconds)) return true;
        } catch (const std::exception& error) {
            qCWarning(lcLivePart) << "picture not written:" << error.what();
            fail(pictureWriteFailed());
            stopGrabbingPictures(Grabbing::stopping);
            return false;
        }
        bool first = false;
        {
            std::lock_guard guard(lock);
            first = written++ == 0;
        }
        if (first && started) started();
        return true;
    }

    void stopGrabbingPictures(Grabbing how) {
        {
            std::lock_guard guard(lock);
            if (grabbing == Grabbing::on) grabbing = how;
        }
        changed.notify_all();
        feed->wake();
    }

    void joinGrabber(Grabbing how) {
        stopGrabbingPictures(how);
        if (grabber.joinable()) grabber.join();
    }

    // Stops every thread; the file is left as far as it reached the disk.
    void stop() {
        beginFinishing();
        joinGrabber(Grabbing::stopping);
        {
            std::lock_guard guard(lock);
            abandon = true;
        }
        changed.notify_all();
        if (encoder.joinable()) encoder.join();
        sound.reset();
        writer.reset();
    }

    LivePartReport finish() {
        beginFinishing();
        joinGrabber(Grabbing::finishing);
        // The encoder writes what is queued, then ends.
        if (encoder.joinable()) encoder.join();
        const double seconds = writer->writtenSeconds();
        if (sound) sound->finish(seconds);
        writer->finish();
        std::lock_guard guard(lock);
        return {seconds, written, dropped, sound ? sound->droppedSeconds() : 0.0};
    }
};

LivePartRecorder::LivePartRecorder(const QString& path, std::unique_ptr<PictureFeed> feed,
                                   const LivePartFormat& format, Started started, Failed failed,
                                   const SoundRecorder::Open& openSound)
    : state_(std::make_unique<State>()) {
    State& s = *state_;
    s.feed = std::move(feed);
    // Each picture is converted and let go as soon as it is grabbed.
    s.feed->keepPictures(1);
    s.started = std::move(started);
    s.failed = std::move(failed);
    // Sound first: when it cannot be opened, no file is made.
    if (!format.tracks.isEmpty())
        s.sound = std::make_unique<SoundRecorder>(
            format.tracks,
            [&s](int track, const float* samples, int frames) { s.writer->writeSound(track, samples, frames); },
            [&s](const QString& description) { s.fail(description); }, openSound);
    s.writer = std::make_unique<PartWriter>(path, partFormat(format));
    s.converter.emplace(s.writer->size());
    try {
        s.encoder = std::thread([&s] { s.writePictures(); });
        s.grabber = std::thread([&s] { s.grabPictures(); });
    } catch (...) {
        s.stop();
        throw;
    }
}

LivePartRecorder::~LivePartRecorder() {
    if (!state_->report) state_->stop();
}

double LivePartRecorder::elapsed() const { return state_->writer ? state_->writer->writtenSeconds() : 0.0; }

LivePartReport LivePartRecorder::finish() {
    State& s = *state_;
    if (s.report) return *s.report;
    if (s.finishCalled) throw MediaError("the part could not be finished", AVERROR(EINVAL));
    s.finishCalled = true;
    s.report = s.finish();
    return *s.report;
}

}  // namespace tavero::media
