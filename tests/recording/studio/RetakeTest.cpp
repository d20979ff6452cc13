#include "platform/files/FreeSpace.h"
#include "recording/RecordingRetake.h"
#include "tests/recording/studio/StudioHarness.h"
#include "tests/support/Files.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <gtest/gtest.h>

#include <future>

using namespace tavero;
using Kind = RecordingPhase::Kind;

namespace {

constexpr qint64 otherProgram = 4242;

class RetakeTest : public testing::Test {
protected:
    RetakeTest() {
        display.name = QStringLiteral("L");
        display.id = displayIdentifier(display.name);
        display.pixelFrame = QRect(0, 0, 1920, 1080);
        editor.id = 7;
        editor.frame = QRect(100, 100, 800, 600);
        editor.processID = otherProgram;
        editor.title = QStringLiteral("文档");
        harness.screen->setDisplays({display});
        harness.screen->setWindows({editor});
        harness.screen->setDesktop(QImage(1920, 1080, QImage::Format_RGBA8888_Premultiplied));
        harness.screen->setPointer(QPoint(100, 100));
    }

    test::TestStudio& studio() { return harness.studio(); }

    void prepare(RecordingScope scope) {
        studio().prepare();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !studio().loadingTargets(); }, 5000));
        studio().setScope(scope);
    }
    void countDown() { harness.clock.advance(Seconds(3)); }
    void record() {
        studio().start();
        countDown();
        harness.recorder->started();
    }
    RecordedVideo video(double seconds) const {
        test::writeFile(*harness.recorder->destination, "video");
        return {*harness.recorder->destination, seconds, std::nullopt};
    }
    void finish(const RecordedVideo& take) {
        harness.recorder->stopping();
        harness.recorder->finished(take);
    }
    bool waitForPhase(const RecordingPhase& phase) {
        return QTest::qWaitFor([&] { return studio().phase() == phase; }, 5000);
    }

    QString library() const { return harness.model.localLibrary.root(); }
    QStringList libraryFiles() const { return QDir(library()).entryList(QDir::Files, QDir::Name); }
    QString trashed(const RecordedVideo& take) const {
        return harness.home.path() + QStringLiteral("/.local/share/Trash/files/") +
               QFileInfo(RecordingRetake::archiveFolder(take.url)).fileName();
    }
    QStringList entries(const QString& folder) const { return QDir(folder).entryList(QDir::Files, QDir::Name); }
    bool listed(const RecordedVideo& take) const {
        return test::readFile(library() + QStringLiteral("/index.json")).contains(QFileInfo(take.url).fileName().toUtf8());
    }
    // What a quit leaves now: the library finishes the work asked of it
    // before it goes, and nothing answers on the main thread any more.
    void quit() {
        std::promise<void> idle;
        harness.model.localLibrary.runInTurn<bool>(
            [&idle] {
                idle.set_value();
                return true;
            },
            [](Result<bool>) {}, QString());
        idle.get_future().wait();
    }

    std::optional<qint64> freeBytes = 100'000'000'000;
    FreeSpace::ScopedProbe probe{[this](const QString&) { return freeBytes; }};
    test::StudioHarness harness;
    DisplayInfo display;
    WindowInfo editor;
};

}  // namespace

TEST_F(RetakeTest, ACleanTakeGoesToTheTrashWithItsFilesNotToTheLibraryAndTheSameTakeCountsDownAgain) {
    prepare(RecordingScope::display);
    studio().setSystemAudio(false);
    record();
    // The blurred still of the display comes with the take and goes with it.
    ASSERT_TRUE(QTest::qWaitFor([&] { return libraryFiles().filter(QStringLiteral("录屏背景_")).size() == 1; }, 5000));
    QTest::qWait(50);
    // What the user changes meanwhile is for later takes, not for the retake.
    studio().setSystemAudio(true);
    studio().setScope(RecordingScope::window);

    studio().restart();
    EXPECT_EQ(studio().phase(), RecordingPhase(Kind::stopping));
    EXPECT_TRUE(studio().isRetaking());
    EXPECT_EQ(harness.model.status, QStringLiteral("正在结束当前段，准备重新录制…"));
    EXPECT_EQ(harness.recorder->stops.size(), 1u);
    studio().restart();
    EXPECT_EQ(harness.recorder->stops.size(), 1u) << "a second retake does nothing";

    const RecordedVideo take = video(4);
    const QString firstTake = take.url;
    finish(take);
    EXPECT_EQ(studio().phase(), RecordingPhase(Kind::restarting));
    ASSERT_TRUE(waitForPhase(RecordingPhase::countdown(3)));

    const QStringList archived = entries(trashed(take));
    ASSERT_EQ(archived.size(), 3) << archived.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(archived.contains(QFileInfo(take.url).fileName()));
    EXPECT_TRUE(archived.contains(QFileInfo(RecordingProject::sidecar(take.url)).fileName()));
    EXPECT_EQ(archived.filter(QStringLiteral("录屏背景_")).size(), 1);
    EXPECT_TRUE(libraryFiles().filter(QStringLiteral("录屏_")).isEmpty());
    EXPECT_EQ(harness.model.savedCount, 0);
    // Listed while it was saved, the take is forgotten once it is in the Trash.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !listed(take); }, 5000));
    EXPECT_FALSE(harness.model.videoURL());
    EXPECT_FALSE(studio().currentRawURL());
    EXPECT_FALSE(studio().currentProject());
    EXPECT_FALSE(harness.sounds.contains(QStringLiteral("Pop"))) << "nothing was saved";

    EXPECT_FALSE(studio().isRetaking());
    EXPECT_EQ(studio().scope(), RecordingScope::display);
    EXPECT_FALSE(studio().systemAudio());
    EXPECT_FALSE(studio().setupVisible());
    countDown();
    ASSERT_TRUE(harness.recorder->screen);
    EXPECT_EQ(harness.recorder->screen->display.id, display.id);
    EXPECT_FALSE(harness.recorder->screen->systemAudio);
    EXPECT_NE(harness.recorder->destination, firstTake);
}

TEST_F(RetakeTest, AQuitBeforeTheTakeIsInTheTrashKeepsItListedWithItsProject) {
    prepare(RecordingScope::display);
    record();
    studio().restart();
    const RecordedVideo take = video(3);
    finish(take);
    ASSERT_EQ(studio().phase(), RecordingPhase(Kind::restarting));
    quit();
    EXPECT_TRUE(listed(take));
    EXPECT_TRUE(QFileInfo::exists(take.url));
    EXPECT_TRUE(QFileInfo::exists(RecordingProject::sidecar(take.url)));
    EXPECT_TRUE(entries(trashed(take)).isEmpty());
}

TEST_F(RetakeTest, AWindowClosedMeanwhileLeadsBackToTheSetUpWithTheReason) {
    prepare(RecordingScope::window);
    record();
    ASSERT_TRUE(harness.recorder->screen && harness.recorder->screen->window);
    studio().restart();
    harness.screen->setWindows({});
    const int shown = harness.model.windowShown;
    const RecordedVideo take = video(3);
    finish(take);
    ASSERT_TRUE(QTest::qWaitFor([&] { return studio().targetError().has_value(); }, 5000));
    EXPECT_EQ(studio().targetError(), QStringLiteral("原录制窗口或区域已不可用，请重新选择。上一段可从废纸篓找回。"));
    EXPECT_EQ(studio().phase(), RecordingPhase(Kind::idle));
    EXPECT_FALSE(studio().isRetaking());
    EXPECT_TRUE(studio().setupVisible());
    EXPECT_GT(harness.model.windowShown, shown);
    EXPECT_EQ(studio().scope(), RecordingScope::window);
    EXPECT_EQ(entries(trashed(take)).size(), 2) << "the take is in the Trash all the same";
    EXPECT_EQ(harness.model.savedCount, 0);
    EXPECT_EQ(harness.model.status, QString()) << "no take is ending any more";
}

TEST_F(RetakeTest, StopEndsTheRetakeAtEveryStage) {
    prepare(RecordingScope::display);
    // While the take is still being saved: a plain stop, the take is kept.
    record();
    studio().restart();
    studio().stop();
    EXPECT_FALSE(studio().isRetaking());
    const RecordedVideo kept = video(3);
    finish(kept);
    ASSERT_TRUE(QTest::qWaitFor([&] { return harness.model.savedCount == 1; }, 5000));
    EXPECT_TRUE(QFileInfo::exists(kept.url));
    EXPECT_TRUE(entries(trashed(kept)).isEmpty());

    // While it is being archived: the retake is cancelled, the Trash keeps it.
    record();
    studio().restart();
    const RecordedVideo dropped = video(3);
    finish(dropped);
    ASSERT_EQ(studio().phase(), RecordingPhase(Kind::restarting));
    const int shown = harness.model.windowShown;
    studio().stop();
    EXPECT_EQ(studio().phase(), RecordingPhase(Kind::idle));
    EXPECT_FALSE(studio().isRetaking());
    EXPECT_EQ(harness.model.status, QStringLiteral("已取消重录；已放入废纸篓的上一段仍可找回。"));
    EXPECT_EQ(harness.model.windowShown, shown + 1);
    // The archive still ends: the workspace lets go of the take.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !harness.model.videoURL(); }, 5000));
    QTest::qWait(100);
    EXPECT_EQ(studio().phase(), RecordingPhase(Kind::idle)) << "no new countdown";
    EXPECT_FALSE(studio().setupVisible());
    EXPECT_EQ(entries(trashed(dropped)).size(), 2);
    EXPECT_EQ(harness.model.savedCount, 1);
}

TEST_F(RetakeTest, ATakeTheTrashRefusesStaysAndEntersTheLibraryWithTheReason) {
    test::writeFile(harness.home.path() + QStringLiteral("/.local/share/Trash"), "not a folder");
    prepare(RecordingScope::display);
    record();
    studio().restart();
    const RecordedVideo take = video(3);
    finish(take);
    ASSERT_TRUE(QTest::qWaitFor([&] { return harness.model.failure.has_value(); }, 5000));
    EXPECT_TRUE(harness.model.failure->message().startsWith(QStringLiteral("未能将当前段移到废纸篓，已停止重录。")));
    EXPECT_EQ(harness.model.savedCount, 1);
    EXPECT_TRUE(QFileInfo::exists(take.url));
    EXPECT_TRUE(QFileInfo::exists(RecordingProject::sidecar(take.url)));
    EXPECT_EQ(studio().phase(), RecordingPhase(Kind::idle));
    EXPECT_FALSE(studio().isRetaking());
}
