// A take through the program's shell, headless: the hot keys, the status
// item and the library around the studio and the model's real
// recording session, whose parts are written by stand-in writers as real MP4
// files and joined by the real joiner.
#include "app/StatusItem.h"
#include "library/LibraryManifest.h"
#include "platform/files/FreeSpace.h"
#include "recording/ScreenRecorder.h"
#include "recording/studio/SessionTakeRecorder.h"
#include "tests/app/DelegateHarness.h"
#include "tests/support/ManualScheduler.h"
#include "tests/support/MediaFixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>

#include <gtest/gtest.h>

using namespace tavero;
using Kind = RecordingPhase::Kind;

namespace {

constexpr double partSeconds = 1.0;

// Begins writing as soon as it is started and, once stopped, leaves a real
// part of one second behind, as the screen writer does.
class PartWriter final : public QObject, public RecordingSegmentWriting {
public:
    QSize videoSize() const override { return {320, 240}; }
    double elapsed() const override { return writing_ ? partSeconds : 0; }
    void start(const QString& path) override {
        path_ = path;
        QTimer::singleShot(0, this, [this] {
            writing_ = true;
            if (onStarted) onStarted();
        });
    }
    void stop(const std::optional<QString>& reason) override {
        if (stopped_) return;
        stopped_ = true;
        test::makeVideo(path_, {.duration = partSeconds, .fragmented = true});
        QTimer::singleShot(0, this, [this, reason] {
            if (onStopping) onStopping();
            if (onFinished) onFinished(RecordedVideo{path_, partSeconds, reason});
        });
    }

private:
    QString path_;
    bool writing_ = false;
    bool stopped_ = false;
};

class RecordingTakeTest : public testing::Test {
protected:
    RecordingTakeTest() {
        harness.makeStudio = [this](RecordingHost& host) {
            RecordingSession& session = dynamic_cast<AppModel&>(host).recorder();
            StudioParts parts;
            parts.recorder = std::make_unique<SessionTakeRecorder>(
                session,
                [&session](const RecordingCaptureSettings&, const QString& url) {
                    session.begin(url, [] { return std::make_unique<PartWriter>(); });
                },
                [](const CameraTake&, const QString&) {});
            parts.scheduler = &clock;
            parts.playSound = [this](const QString& name) { sounds.append(name); };
            return std::make_unique<RecordingStudio>(host, std::move(parts));
        };
    }

    RecordingStudio& studio() { return harness.model().studio(); }
    bool waitFor(Kind kind) {
        return QTest::qWaitFor([&] { return studio().phase() == RecordingPhase(kind); }, 20'000);
    }
    // Ctrl+Shift+8 opens the set-up sheet; its start button starts the take.
    void startTake() {
        harness.delegate();
        harness.hotKeys->press(8);
        ASSERT_TRUE(QTest::qWaitFor([&] { return studio().setupVisible() && !studio().loadingTargets(); }, 5000));
        studio().start();
        clock.advance(Seconds(3));
        ASSERT_TRUE(waitFor(Kind::recording));
    }
    QString library() const { return harness.home.desktop() + QStringLiteral("/岚帧"); }

    FreeSpace::ScopedProbe roomy{[](const QString&) { return std::optional<qint64>(100'000'000'000); }};
    test::DelegateHarness harness;
    test::ManualScheduler clock;
    QStringList sounds;
};

}  // namespace

TEST_F(RecordingTakeTest, PausedResumedAndStoppedByItsHotKeysATakeIsSavedJoinedAndListed) {
    ASSERT_NO_FATAL_FAILURE(startTake());
    StatusItem& item = *harness.delegate().statusItem();
    EXPECT_TRUE(harness.model().recording());
    EXPECT_EQ(item.title(), QStringLiteral(" 00:01")) << "the stand-in writer has its second at once";

    harness.hotKeys->press(10);
    ASSERT_TRUE(waitFor(Kind::paused));
    EXPECT_EQ(harness.model().status(), QStringLiteral("录屏已暂停 · 画面与声音均未录入 · Ctrl+Shift+P 继续"));
    EXPECT_EQ(item.title(), QStringLiteral(" 暂停 00:01"));
    harness.hotKeys->press(10);
    ASSERT_TRUE(waitFor(Kind::recording));

    harness.hotKeys->press(8);
    ASSERT_TRUE(QTest::qWaitFor([&] { return harness.model().status().startsWith(QStringLiteral("已保存：")); }, 20'000))
        << harness.model().status().toStdString();
    EXPECT_EQ(studio().phase(), RecordingPhase(Kind::idle));
    ASSERT_TRUE(harness.model().videoURL());
    const QString video = *harness.model().videoURL();
    const QString name = QFileInfo(video).fileName();
    EXPECT_TRUE(name.startsWith(QStringLiteral("录屏_")) && name.endsWith(QStringLiteral(".mp4")));
    EXPECT_EQ(harness.model().status(), QStringLiteral("已保存：") + name);
    const QStringList duration{QStringLiteral("-show_entries"), QStringLiteral("format=duration"),
                               QStringLiteral("-of"), QStringLiteral("csv=p=0")};
    EXPECT_NEAR(test::ffprobe(duration, video).toDouble(), 2 * partSeconds, 0.1) << "both parts are joined";
    EXPECT_FALSE(QFileInfo::exists(RecordingSession::partsDirectoryFor(video)));
    EXPECT_TRUE(RecordingProject::load(video)) << "the project sits beside the video";

    QFile manifest(QDir(library()).filePath(QStringLiteral("index.json")));
    ASSERT_TRUE(manifest.open(QIODevice::ReadOnly));
    const QList<CaptureRecord> records = decodeManifest(manifest.readAll());
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records.first().file, name);
    EXPECT_EQ(records.first().kind, CaptureRecord::videoKind);
    EXPECT_EQ(harness.model().history().value(0).file, name);
    EXPECT_EQ(sounds, QStringList{QStringLiteral("Pop")}) << "no chime in a take that records the computer's sound";
    EXPECT_EQ(item.title(), QString());
}
