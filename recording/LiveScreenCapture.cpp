#include "recording/ScreenCapture.h"

#include "platform/ShotError.h"
#include "platform/media/MediaError.h"
#include "platform/threads/Background.h"
#include "platform/threads/MainThread.h"
#include "recording/RecordingMessages.h"

#include <QLoggingCategory>

namespace tavero {

namespace {

Q_LOGGING_CATEGORY(lcLiveCapture, "tavero.recording.capture")

QString notStarted(const QString& description) { return QStringLiteral("录屏未能启动（") + description + QStringLiteral("）。"); }

// The recorder reports on its own threads; the writer hears it on the main
// thread. The recorder is shared with the worker that finishes it, so
// dropping the capture never waits for the file to be completed.
class LiveScreenCapture final : public ScreenCapture {
public:
    LiveScreenCapture(const QString& path, std::unique_ptr<PictureFeed> feed, const media::LivePartFormat& format,
                      Started started, Failed failed, const media::SoundRecorder::Open& openSound) {
        try {
            recorder_ = std::make_shared<media::LivePartRecorder>(
                path, std::move(feed), format, [started] { postToMain(started); },
                [failed](const QString& description) { postToMain([failed, description] { failed(description); }); },
                openSound);
        } catch (const media::MediaError& error) {
            qCWarning(lcLiveCapture) << path << error.what();
            throw ShotError(RecordingMessages::fileNotMade());
        }
    }

    double elapsed() const override { return recorder_->elapsed(); }

    void finish(Finished finished) override {
        runInBackground([recorder = recorder_, finished = std::move(finished)] {
            std::optional<QString> failure;
            try {
                const media::LivePartReport report = recorder->finish();
                // Read by the whole-program benchmark.
                qCInfo(lcLiveCapture).nospace() << "part finished: " << report.seconds << " s, " << report.pictures
                                                << " pictures written, " << report.dropped << " dropped";
            } catch (const std::exception& error) {
                qCWarning(lcLiveCapture) << "finishing the part failed:" << error.what();
                failure = RecordingMessages::fileNotCompleted();
            }
            postToMain([finished, failure] { finished(failure); });
        });
    }

private:
    std::shared_ptr<media::LivePartRecorder> recorder_;
};

}  // namespace

std::unique_ptr<ScreenCapture> openLiveScreenCapture(const QString& path, const ScreenScope& scope,
                                                     const media::LivePartFormat& format, ScreenCapture::Started started,
                                                     ScreenCapture::Failed failed,
                                                     const media::SoundRecorder::Open& openSound) {
    std::unique_ptr<PictureFeed> feed;
    try {
        feed = openScreenFeed(scope);
    } catch (const PictureFeed::Lost& lost) {
        throw ShotError(notStarted(lost.description()));
    }
    return openLivePartCapture(path, std::move(feed), format, std::move(started), std::move(failed), openSound);
}

std::unique_ptr<ScreenCapture> openLivePartCapture(const QString& path, std::unique_ptr<PictureFeed> feed,
                                                   const media::LivePartFormat& format, ScreenCapture::Started started,
                                                   ScreenCapture::Failed failed,
                                                   const media::SoundRecorder::Open& openSound) {
    return std::make_unique<LiveScreenCapture>(path, std::move(feed), format, std::move(started), std::move(failed),
                                               openSound);
}

}  // namespace tavero
