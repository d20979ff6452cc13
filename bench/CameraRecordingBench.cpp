// Thirty seconds of a screen take with the camera at 1920 × 1080, through the
// camera part writer as the program runs it: the synthetic camera delivering
// 1920 × 1080 pictures 30 times a second on its own thread, a screen of text
// that scrolls 4 pixels between grabs (every composed frame sees a new
// screen), the smart-camera look with auto zoom and the blurred border, the
// default circle portrait, H.264 into a fragmented part. No sound tracks.
// Beside it, FFmpeg's command line encodes a generated picture of the same
// output size in real time with the same encoder settings (encoding alone,
// nothing composed).
//
// Reported: frames written per camera picture offered (goal at least 0.95),
// pictures dropped at the one-picture gate, CPU seconds per second of video
// for the whole process (camera drawing and screen copying included; goal
// under one core), and the command line's CPU per second of video.
#include "bench/ProcessMeasures.h"
#include "camera/LiveWebcamFeed.h"
#include "camera/RecordingCompositor.h"
#include "camera/WebcamRecordingSegment.h"
#include "platform/media/VideoFileReader.h"
#include "tests/support/Pictures.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

using namespace tavero;
using bench::cpuSeconds;

namespace {

constexpr int recordSeconds = 30;
constexpr QSize screenSize(1920, 1080);
constexpr int scrollStep = 4;

// A page of text twice the screen's height, scrolled a little at every grab.
class ScrollingScreen final : public PictureFeed {
public:
    ScrollingScreen()
        : page_(fixtures::textPage(screenSize.width(), screenSize.height() * 2).convertToFormat(QImage::Format_RGB32)) {}

    QSize size() const override { return screenSize; }
    bool waitForChange(MonotonicTime) override { return true; }
    void wake() override {}
    QImage grab() override {
        return page_.copy(0, grabs_++ * scrollStep % screenSize.height(), screenSize.width(), screenSize.height());
    }

private:
    const QImage page_;
    int grabs_ = 0;
};

RecordingCaptureSettings wholeScreen() {
    RecordingCaptureSettings settings;
    settings.display = DisplayInfo{1, QStringLiteral("bench"), QRect(QPoint(0, 0), screenSize), 1, true};
    return settings;
}

qint64 picturesIn(const QString& path) {
    media::VideoFileReader reader(path, {});
    qint64 count = 0;
    while (reader.next()) ++count;
    return count;
}

void screenWithCamera(benchmark::State& state) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("part.mp4"));
    WebcamDevices devices;
    devices.openCamera = [](CameraCapture::Picture picture, CameraCapture::Failed failed) {
        return openSyntheticCamera(screenSize, 30, std::move(picture), std::move(failed));
    };
    LiveWebcamFeed feed(std::move(devices));
    std::optional<bool> ready;
    feed.start(false, [&](bool answer) { ready = answer; });
    if (!QTest::qWaitFor([&] { return ready.has_value(); }, 10'000) || !*ready)
        return state.SkipWithError("the synthetic camera did not start");

    WebcamRecordingServices services;
    services.openScreen = [](const ScreenScope&) { return std::make_unique<ScrollingScreen>(); };
    services.pointer = [] { return std::shared_ptr<PointerSource>(); };
    WebcamRecordingSegment segment(feed, wholeScreen(), RecordingEffects{}, false, CameraFraming{}, services);
    std::optional<Result<RecordedVideo>> result;
    segment.onFinished = [&](Result<RecordedVideo> finished) { result = std::move(finished); };

    double cpu = 0;
    for (auto _ : state) {
        const double before = cpuSeconds(RUSAGE_SELF);
        segment.start(path);
        QTest::qWait(recordSeconds * 1000);
        segment.stop();
        if (!QTest::qWaitFor([&] { return result.has_value(); }, 60'000)) return state.SkipWithError("no part");
        cpu = cpuSeconds(RUSAGE_SELF) - before;
    }
    if (!result->ok()) return state.SkipWithError(result->error().message().toStdString().c_str());
    const double offered = double(segment.cameraPicturesOffered());
    const double written = double(picturesIn(path));
    state.counters["video_width"] = segment.videoSize().width();
    state.counters["offered"] = offered;
    state.counters["dropped_at_gate"] = double(segment.cameraPicturesDropped());
    state.counters["written"] = written;
    state.counters["written_per_offered"] = written / offered;
    state.counters["cpu_per_video_s"] = cpu / result->value().duration;
}

void commandLineEncode(benchmark::State& state) {
    QTemporaryDir folder;
    const QSize size = RecordingCompositor::outputSize(screenSize, RecordingEffects{});
    double cpu = 0;
    for (auto _ : state) {
        const double before = cpuSeconds(RUSAGE_CHILDREN);
        QProcess ffmpeg;
        ffmpeg.start(QStringLiteral("ffmpeg"),
                     {QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                      QStringLiteral("-re"), QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                      QStringLiteral("testsrc2=size=%1x%2:rate=30").arg(size.width()).arg(size.height()),
                      QStringLiteral("-t"), QString::number(recordSeconds), QStringLiteral("-c:v"),
                      QStringLiteral("libx264"), QStringLiteral("-preset"), QStringLiteral("ultrafast"),
                      QStringLiteral("-crf"), QStringLiteral("20"), QStringLiteral("-bf"), QStringLiteral("0"),
                      QStringLiteral("-g"), QStringLiteral("30"), QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"),
                      QStringLiteral("-movflags"), QStringLiteral("+frag_keyframe+empty_moov+default_base_moof"),
                      folder.filePath(QStringLiteral("ffmpeg.mp4"))});
        if (!ffmpeg.waitForFinished(-1) || ffmpeg.exitCode() != 0) return state.SkipWithError("ffmpeg failed");
        cpu = cpuSeconds(RUSAGE_CHILDREN) - before;
    }
    state.counters["video_width"] = size.width();
    state.counters["cpu_per_video_s"] = cpu / recordSeconds;
}

}  // namespace

BENCHMARK(screenWithCamera)->Name("camera_part/1080p_screen_and_camera")->UseRealTime()->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(commandLineEncode)->Name("camera_part/ffmpeg_encode_same_size")->UseRealTime()->Unit(benchmark::kSecond)->Iterations(1);
