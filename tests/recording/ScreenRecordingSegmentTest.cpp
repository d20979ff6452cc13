#include "platform/files/FreeSpace.h"
#include "recording/ScreenRecorder.h"
#include "tests/support/ManualScheduler.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/TempDir.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace tavero;
using namespace std::chrono_literals;

namespace {

// What a test sees of one capture, kept after the capture itself is gone.
struct CaptureProbe {
    QString path;
    ScreenScope scope;
    media::LivePartFormat format;
    ScreenCapture::Started started;
    ScreenCapture::Failed failed;
    double elapsed = 0;
    int finishes = 0;
    ScreenCapture::Finished finished;
};

class FakeCapture final : public ScreenCapture {
public:
    explicit FakeCapture(std::shared_ptr<CaptureProbe> probe) : probe_(std::move(probe)) {}
    double elapsed() const override { return probe_->elapsed; }
    void finish(Finished finished) override {
        ++probe_->finishes;
        probe_->finished = std::move(finished);
    }

private:
    std::shared_ptr<CaptureProbe> probe_;
};

const DisplayInfo retina{1, QStringLiteral("DP-1"), QRect(1920, 0, 2560, 1440), 2.0, false};
const WindowInfo ownPanel{41, QRect(2000, 100, 300, 80), QCoreApplication::applicationPid(), 3, {}, {}};
const WindowInfo editor{77, QRect(100, 50, 801, 401), 99999, 0, QStringLiteral("编辑器"), {}};

RecordingCaptureSettings settings(std::optional<QRectF> region, std::optional<WindowInfo> window = {}) {
    return {{{retina}, {ownPanel, editor}}, retina, region, window, true, true, false, std::nullopt};
}

class ScreenRecordingSegmentTest : public testing::Test {
protected:
    ScreenRecordingServices services() {
        return {.open = [this](const QString& path, const ScreenScope& scope, const media::LivePartFormat& format,
                               ScreenCapture::Started started, ScreenCapture::Failed failed,
                               const media::SoundRecorder::Open&) {
                    captures.push_back(std::make_shared<CaptureProbe>());
                    *captures.back() = {path, scope, format, std::move(started), std::move(failed), 0, 0, {}};
                    return std::make_unique<FakeCapture>(captures.back());
                },
                .validate = [this](const QString&, media::CancelToken,
                                   std::function<void(Result<double>)> answer) { checks.push_back(answer); },
                .scheduler = &time};
    }

    // A started writer; its reports go to `events` and `results`.
    void startWriter(RecordingCaptureSettings what) {
        writer = std::make_unique<ScreenRecordingSegment>(std::move(what), services());
        writer->onStarted = [this] { events.push_back("started"); };
        writer->onStopping = [this] { events.push_back("stopping"); };
        writer->onFinished = [this](Result<RecordedVideo> result) { results.push_back(std::move(result)); };
        writer->start(part);
    }
    CaptureProbe& capture() { return *captures.back(); }
    std::optional<QString> deliveredInterruption() {
        return results.size() == 1 && results[0] ? results[0].value().interruption : QStringLiteral("no single part");
    }

    test::TempDir dir;
    const QString part = dir.file(QStringLiteral("片段_001.mp4"));
    qint64 freeBytes = 100'000'000'000;
    FreeSpace::ScopedProbe disk{[this](const QString&) { return std::optional<qint64>(freeBytes); }};
    test::ManualScheduler time;
    std::vector<std::shared_ptr<CaptureProbe>> captures;
    std::vector<std::function<void(Result<double>)>> checks;
    std::unique_ptr<ScreenRecordingSegment> writer;
    std::vector<std::string> events;
    std::vector<Result<RecordedVideo>> results;
};

}  // namespace

TEST_F(ScreenRecordingSegmentTest, CapturesTheAreaOrTheWindowAtEvenSizesAndKeepsOurWindowsOut) {
    // 500.5 points at scale 2 are 1001 pixels: the video is 1000 wide.
    startWriter(settings(QRectF(10.5, 20, 500.5, 300)));
    EXPECT_EQ(capture().path, part);
    EXPECT_EQ(capture().scope.area, QRect(1941, 40, 1000, 600));
    EXPECT_EQ(capture().scope.ownWindows, QList<quint32>{41});
    EXPECT_FALSE(capture().scope.window);
    EXPECT_EQ(writer->videoSize(), QSize(1000, 600));
    EXPECT_EQ(capture().format.size, QSize(1000, 600));
    EXPECT_EQ(capture().format.tracks, (media::SoundRecorder::Tracks{{SoundInput::system, SoundInput::microphone}}));

    // A window scope ignores the region and needs no windows taken out.
    startWriter(settings(QRectF(0, 0, 10, 10), editor));
    EXPECT_EQ(capture().scope.area, QRect(100, 50, 800, 400));
    EXPECT_EQ(capture().scope.window, 77u);
    EXPECT_TRUE(capture().scope.ownWindows.isEmpty());

    // A later part keeps the first part's size although the display's scale changed.
    RecordingCaptureSettings resumed = settings(QRectF(10, 20, 500, 300));
    resumed.display.scale = 1.0;
    resumed.systemAudio = resumed.microphone = false;
    resumed.fixedVideoSize = QSize(1000, 600);
    startWriter(resumed);
    EXPECT_EQ(capture().scope.area, QRect(1930, 20, 500, 300));
    EXPECT_EQ(capture().format.size, QSize(1000, 600));
    EXPECT_TRUE(capture().format.tracks.isEmpty());
    EXPECT_THROW(writer->start(part), ShotError);
}

TEST_F(ScreenRecordingSegmentTest, AStopAskedTwiceFinishesOnceAndALateStartIsIgnored) {
    startWriter(settings(std::nullopt));
    EXPECT_EQ(capture().scope.area, retina.pixelFrame);
    capture().started();
    capture().elapsed = 3.2;
    EXPECT_DOUBLE_EQ(writer->elapsed(), 3.2);
    writer->stop();
    writer->stop(QStringLiteral("第二次。"));
    EXPECT_EQ(capture().finishes, 1);
    capture().finished(std::nullopt);
    ASSERT_EQ(checks.size(), 1u);
    checks[0](3.2);
    capture().failed(QStringLiteral("太晚了"));
    time.advance(60s);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].value(), (RecordedVideo{part, 3.2, std::nullopt}));
    EXPECT_EQ(events, (std::vector<std::string>{"started", "stopping", "stopping"}));

    events.clear();
    startWriter(settings(std::nullopt));
    writer->stop();
    capture().started();
    EXPECT_EQ(events, std::vector<std::string>{"stopping"});
}

TEST_F(ScreenRecordingSegmentTest, AFinishThatFailsStillDeliversOnceWithoutWaiting) {
    startWriter(settings(std::nullopt));
    writer->stop();
    capture().finished(QStringLiteral("录屏文件未能写完"));
    ASSERT_EQ(checks.size(), 1u);
    checks[0](ShotError(QStringLiteral("文件中没有完整的视频画面。")));
    time.advance(60s);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].error().message(),
              QStringLiteral("录制被系统中断（录屏文件未能写完）。\n本次没有生成可播放的录屏文件。"));
}

TEST_F(ScreenRecordingSegmentTest, DeadlinesStopACaptureThatNeverStartsAndCheckAFileNeverConfirmed) {
    const auto interruption = [this](bool starts) {
        results.clear();
        checks.clear();
        startWriter(settings(std::nullopt));
        if (starts) {
            capture().started();
            writer->stop();
        } else {
            time.advance(19.9s);
            EXPECT_EQ(capture().finishes, 0);
            time.advance(0.1s);
        }
        EXPECT_EQ(capture().finishes, 1);
        time.advance(24.9s);
        EXPECT_TRUE(checks.empty());
        time.advance(0.2s);  // the capture never says it finished
        if (checks.size() == 1) checks[0](1.0);
        return deliveredInterruption();
    };
    EXPECT_EQ(interruption(false), QStringLiteral("录屏启动超时，正在检查已生成的文件。"));
    EXPECT_EQ(interruption(true), QStringLiteral("系统未及时确认保存完成，已检查现有录屏文件。"));
}

TEST_F(ScreenRecordingSegmentTest, AFailureDuringRecordingNamesAFullDiskOrTheSystemsReason) {
    const auto failWith = [this](qint64 free) {
        results.clear();
        checks.clear();
        freeBytes = 100'000'000'000;
        startWriter(settings(std::nullopt));
        capture().started();
        freeBytes = free;
        capture().failed(QStringLiteral("窗口已关闭"));
        EXPECT_EQ(capture().finishes, 1);
        time.advance(7.9s);
        EXPECT_TRUE(checks.empty());
        time.advance(0.2s);  // 8 s, not 25 s, after an interruption
        if (checks.size() == 1) checks[0](4.0);
        return deliveredInterruption();
    };
    EXPECT_EQ(failWith(3'000'000'000), QStringLiteral("录制被系统中断（窗口已关闭）。"));
    EXPECT_EQ(failWith(2'999'999'999), QStringLiteral("磁盘空间不足，录制已中断。请腾出空间后继续。"));
}

TEST_F(ScreenRecordingSegmentTest, TooLittleSpaceRefusesTheStartAndLeavesNoFile) {
    freeBytes = 2'900'000'000;
    try {
        startWriter(settings(std::nullopt));
        ADD_FAILURE() << "started";
    } catch (const ShotError& error) {
        EXPECT_EQ(error.message(), QStringLiteral("可用空间仅 2.9 GB。请先腾出至少 3 GB 空间再录制，以免系统中断录屏。"));
    }
    EXPECT_TRUE(captures.empty());
    EXPECT_FALSE(QFileInfo::exists(part));
    time.advance(60s);
    EXPECT_TRUE(results.empty() && events.empty());
}

TEST_F(ScreenRecordingSegmentTest, ARecorderKeepsTheFirstPartsSizeAndJoinsATakeWhosePartFailed) {
    ScreenRecordingServices real = services();
    real.validate = RecordedVideoValidation::inBackground;
    ScreenRecorder recorder(real);
    std::vector<Result<RecordedVideo>> takes;
    recorder.onFinished = [&](Result<RecordedVideo> result) { takes.push_back(std::move(result)); };
    const QString take = dir.file(QStringLiteral("take.mp4"));
    recorder.start(settings(std::nullopt).content, retina, QRectF(0, 0, 500.5, 300), std::nullopt, take, true, false, false);

    // Each part writes a real second of video when it is finished.
    const auto complete = [this] {
        ASSERT_EQ(capture().finishes, 1);
        test::makeVideo(capture().path, {.duration = 1.0, .size = capture().format.size, .fragmented = true});
        capture().finished(std::nullopt);
    };
    capture().started();
    recorder.pause();
    ASSERT_NO_FATAL_FAILURE(complete());
    ASSERT_TRUE(QTest::qWaitFor([&] { return recorder.state() == RecordingSessionState::paused; }, 30'000));
    recorder.resume();
    capture().started();
    capture().failed(QStringLiteral("窗口已关闭"));
    ASSERT_NO_FATAL_FAILURE(complete());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !takes.empty(); }, 60'000));

    ASSERT_EQ(captures.size(), 2u);
    EXPECT_EQ(captures[0]->format.size, QSize(1000, 600));
    EXPECT_EQ(captures[1]->format.size, QSize(1000, 600));
    ASSERT_TRUE(takes[0]) << takes[0].error().message().toStdString();
    EXPECT_EQ(takes[0].value().url, take);
    EXPECT_NEAR(takes[0].value().duration, 2.0, 0.1);
    EXPECT_EQ(takes[0].value().interruption, QStringLiteral("录制被系统中断（窗口已关闭）。"));
}
