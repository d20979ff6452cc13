#include "platform/files/FreeSpace.h"
#include "recording/studio/RecordingTargets.h"
#include "tests/recording/studio/StudioHarness.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace tavero;

namespace {

WindowInfo window(quint32 id, QRect frame, QString title = QStringLiteral("文档"), int layer = 0) {
    WindowInfo info;
    info.id = id;
    info.frame = frame;
    info.processID = 4000 + id;
    info.layer = layer;
    info.title = std::move(title);
    info.applicationName = QStringLiteral("Editor");
    return info;
}

DisplayInfo display(const QString& name, QRect frame) {
    DisplayInfo info;
    info.name = name;
    info.id = displayIdentifier(name);
    info.pixelFrame = frame;
    return info;
}

QList<quint32> idsOf(const QList<WindowInfo>& windows) {
    QList<quint32> ids;
    for (const WindowInfo& window : windows) ids.append(window.id);
    return ids;
}

class StudioTargetsTest : public testing::Test {
protected:
    // Prepares and waits for the targets to arrive.
    void prepare(bool preferRegion = false) {
        studio().prepare(preferRegion);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !studio().loadingTargets(); }, 5000));
    }

    test::TestStudio& studio() { return harness.studio(); }

    test::StudioHarness harness;
    const DisplayInfo left = display(QStringLiteral("L"), QRect(0, 0, 1920, 1080));
    const DisplayInfo right = display(QStringLiteral("R"), QRect(1920, 0, 2560, 1440));
};

}  // namespace

TEST(RecordingTargetsTest, OffersOtherProgramsOrdinaryWindowsOfAtLeast160By100FrontToBack) {
    ShareableContent content;
    content.displays = {display(QStringLiteral("L"), QRect(0, 0, 1920, 1080))};
    WindowInfo ours = window(1, QRect(0, 0, 800, 600));
    ours.processID = 77;
    WindowInfo ownerless = window(7, QRect(0, 0, 800, 600));
    ownerless.processID.reset();
    content.windows = {ours,
                       window(2, QRect(10, 10, 160, 100)),
                       window(3, QRect(10, 10, 159, 600)),
                       window(4, QRect(10, 10, 800, 99)),
                       window(5, QRect(10, 10, 800, 600), QString(), 3),
                       window(6, QRect(10, 10, 800, 600)),
                       ownerless,
                       window(8, QRect(10, 10, 800, 600))};
    EXPECT_EQ(idsOf(RecordingTargets::offeredWindows(content, {8, 1, 2, 3}, 77)), (QList<quint32>{8, 2, 6, 7}))
        << "ranked ones first, the unranked in the content's order";

    content.displays.first().scale = 2;
    EXPECT_EQ(idsOf(RecordingTargets::offeredWindows(content, {}, 77)), (QList<quint32>{6, 7, 8}))
        << "320 × 200 pixels are 160 × 100 points at scale 2";
}

TEST_F(StudioTargetsTest, PreparingOpensTheSheetAndChoosesTheFrontWindowAndTheDisplayUnderThePointer) {
    harness.screen->setDisplays({left, right});
    harness.screen->setPointer(QPoint(2500, 300));
    WindowInfo ours = window(10, QRect(100, 100, 800, 600));
    ours.processID = QCoreApplication::applicationPid();
    harness.screen->setWindows({ours, window(11, QRect(100, 100, 800, 600)), window(12, QRect(2000, 100, 800, 600))});
    harness.screen->holdWindows(true);
    studio().prepare();
    EXPECT_TRUE(studio().setupVisible());
    EXPECT_TRUE(studio().loadingTargets());
    EXPECT_FALSE(studio().canStart()) << "targets are loading";
    EXPECT_EQ(harness.model.windowShown, 1);
    harness.screen->release();
    harness.screen->holdWindows(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !studio().loadingTargets(); }, 5000));
    EXPECT_EQ(idsOf(studio().windows()), (QList<quint32>{11, 12})) << "our own window is not offered";
    EXPECT_EQ(studio().windowID(), 11u);
    EXPECT_EQ(studio().displayID(), right.id);
    EXPECT_EQ(studio().targetName(), QStringLiteral("Editor · 文档"));
    EXPECT_TRUE(studio().canStart());

    // The user's choices stay while their window and display exist.
    studio().setWindowID(12);
    studio().setDisplayID(left.id);
    prepare();
    EXPECT_EQ(studio().windowID(), 12u);
    EXPECT_EQ(studio().displayID(), left.id);

    harness.screen->setWindows({window(13, QRect(100, 100, 800, 600)), window(11, QRect(100, 100, 800, 600))});
    harness.screen->setDisplays({right});
    prepare();
    EXPECT_EQ(studio().windowID(), 13u) << "the chosen window closed";
    EXPECT_EQ(studio().displayID(), right.id);

    harness.screen->setWindows({});
    prepare();
    EXPECT_EQ(studio().windowID(), 0u);
    EXPECT_EQ(studio().scope(), RecordingScope::display);
    EXPECT_EQ(studio().targetName(), QStringLiteral("全屏 · 2560 × 1440"));

    harness.screen->failWindows(true);
    prepare();
    EXPECT_EQ(studio().targetError(), QStringLiteral("无法连接系统截图服务。"));
    EXPECT_EQ(studio().displayID(), right.id) << "a failed read keeps the earlier targets";
}

TEST_F(StudioTargetsTest, ASecondPreparationBeforeTheFirstAnswersAppliesOnlyTheSecond) {
    harness.screen->setWindows({window(11, QRect(100, 100, 800, 600))});
    harness.model.coordinator.setLastRegion(CaptureRegion{harness.screen->displays().first().id, QRectF(10, 10, 300, 200)});
    harness.screen->holdWindows(true);
    studio().prepare(true);
    studio().prepare(false);
    harness.screen->release();
    harness.screen->holdWindows(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !studio().loadingTargets(); }, 5000));
    QTest::qWait(50);
    EXPECT_EQ(studio().scope(), RecordingScope::window) << "the first preparation's preferred area was not applied";
    EXPECT_FALSE(studio().region());
}

TEST_F(StudioTargetsTest, ThePreviousAreaIsOfferedOnlyWhileItsDisplayIsThere) {
    harness.screen->setDisplays({left});
    harness.screen->setWindows({window(11, QRect(100, 100, 800, 600))});
    const CaptureRegion gone{right.id, QRectF(10, 10, 300, 200)};
    harness.model.coordinator.setLastRegion(gone);
    prepare(true);
    EXPECT_EQ(studio().scope(), RecordingScope::window);
    EXPECT_FALSE(studio().region());

    const CaptureRegion there{left.id, QRectF(10.5, 20, 640.9, 480.2)};
    harness.model.coordinator.setLastRegion(there);
    prepare(true);
    EXPECT_EQ(studio().scope(), RecordingScope::area);
    EXPECT_EQ(studio().region(), there);
    EXPECT_EQ(studio().targetName(), QStringLiteral("框选区域 · 640 × 480"));
}

TEST_F(StudioTargetsTest, StartsOnlyWithATargetForItsScopeAndRoomOnDisk) {
    harness.screen->setWindows({window(11, QRect(100, 100, 800, 600))});
    EXPECT_FALSE(studio().canStart()) << "no content read yet";
    prepare();
    EXPECT_TRUE(studio().canStart());

    studio().setScope(RecordingScope::area);
    EXPECT_FALSE(studio().canStart()) << "no area dragged";
    EXPECT_EQ(studio().targetName(), QStringLiteral("先框选录制区域"));
    studio().setRegion(CaptureRegion{studio().displayID(), QRectF(0, 0, 300, 200)});
    EXPECT_TRUE(studio().canStart());

    studio().setScope(RecordingScope::camera);
    EXPECT_FALSE(studio().canStart()) << "the camera is not ready";
    harness.webcam->becomeReady(true);
    EXPECT_TRUE(studio().canStart());
    EXPECT_EQ(studio().targetName(), QStringLiteral("摄像头口播 · 横版 16:9 · 1920 × 1080"));
    CameraFraming framing;
    framing.aspect = CameraAspect::custom;
    framing.customWidth = 63;
    studio().setCameraFraming(framing);
    EXPECT_FALSE(studio().canStart()) << "the framing is not valid";

    studio().setScope(RecordingScope::display);
    EXPECT_TRUE(studio().canStart());
    harness.webcam->becomeReady(false);
    EXPECT_FALSE(studio().canStart()) << "the camera is on for the screen take but not ready";
    studio().setCameraEnabled(false);
    EXPECT_TRUE(studio().canStart());
    studio().setPhase(RecordingPhase::countdown(1));
    EXPECT_FALSE(studio().canStart());
    studio().setPhase(RecordingPhase::Kind::idle);
    studio().setProcessing(true);
    EXPECT_FALSE(studio().canStart()) << "a render runs";
    studio().setProcessing(false);
    studio().setRequestingMicrophone(true);
    EXPECT_FALSE(studio().canStart()) << "the microphone prompt is open";
    studio().setRequestingMicrophone(false);

    const FreeSpace::ScopedProbe nearlyFull([](const QString&) { return std::optional<qint64>(2'999'999'999); });
    studio().refreshDiskSpace();
    EXPECT_EQ(studio().diskStartIssue(), QStringLiteral("可用空间仅 3.0 GB。请先腾出至少 3 GB 空间再录制，以免系统中断录屏。"));
    EXPECT_FALSE(studio().canStart());
    const FreeSpace::ScopedProbe unknown([](const QString&) { return std::optional<qint64>(); });
    studio().refreshDiskSpace();
    EXPECT_TRUE(studio().canStart()) << "unknown free space blocks nothing";
}

TEST_F(StudioTargetsTest, NamesWindowsByProgramAndTitle) {
    WindowInfo named = window(1, QRect(0, 0, 800, 600), QStringLiteral("报告.pdf"));
    EXPECT_EQ(RecordingStudio::windowName(named), QStringLiteral("Editor · 报告.pdf"));
    named.title.clear();
    EXPECT_EQ(RecordingStudio::windowName(named), QStringLiteral("Editor"));
    named.applicationName.reset();
    EXPECT_EQ(RecordingStudio::windowName(named), QStringLiteral("窗口"));
    EXPECT_EQ(studio().targetName(), QStringLiteral("选择一个窗口")) << "no window chosen";
}

TEST_F(StudioTargetsTest, SumsUpTheSoundInOneLine) {
    struct Row {
        bool microphone;
        RecordingScope scope;
        bool systemAudio;
        const char* summary;
    };
    for (const Row& row : {Row{true, RecordingScope::camera, true, "麦克风已开 · 摄像头口播"},
                           Row{false, RecordingScope::camera, false, "麦克风未开 · 摄像头口播"},
                           Row{true, RecordingScope::window, true, "麦克风已开 · 系统声音已开"},
                           Row{true, RecordingScope::area, false, "麦克风已开 · 系统声音未开"},
                           Row{false, RecordingScope::display, true, "麦克风未开 · 系统声音已开"},
                           Row{false, RecordingScope::window, false, "麦克风未开 · 系统声音未开"}}) {
        studio().setMicrophone(row.microphone);
        studio().setScope(row.scope);
        studio().setSystemAudio(row.systemAudio);
        EXPECT_EQ(studio().audioSummary(), QString::fromUtf8(row.summary));
    }
}

// The summary follows what the sound server offers: a microphone that was
// unplugged, or sound without a server, is not said to be on.
TEST_F(StudioTargetsTest, TheSoundSummaryNamesWhatCannotBeRecorded) {
    studio().setScope(RecordingScope::window);
    studio().setMicrophone(true);
    studio().setSystemAudio(true);
    studio().refreshAudioAuthorization();
    EXPECT_EQ(studio().audioSummary(), QStringLiteral("麦克风已开 · 系统声音已开"));

    harness.sound.offered = {true, std::nullopt};
    studio().refreshAudioAuthorization();
    EXPECT_EQ(studio().audioSummary(), QStringLiteral("麦克风未找到 · 系统声音已开"));
    studio().setMicrophone(false);
    EXPECT_EQ(studio().audioSummary(), QStringLiteral("麦克风未开 · 系统声音已开"));

    studio().setMicrophone(true);
    harness.sound.offered = {};
    studio().refreshAudioAuthorization();
    EXPECT_EQ(studio().audioSummary(), QStringLiteral("麦克风未找到 · 系统声音不可用"));
    studio().setScope(RecordingScope::camera);
    EXPECT_EQ(studio().audioSummary(), QStringLiteral("麦克风未找到 · 摄像头口播"));

    harness.sound.offered = {true, QStringLiteral("USB 麦克风")};
    studio().refreshAudioAuthorization();
    EXPECT_EQ(studio().audioSummary(), QStringLiteral("麦克风已开 · 摄像头口播")) << "plugged in again";
}

TEST_F(StudioTargetsTest, TheAreaPickerHidesTheSheetAndBringsItBackWhateverTheAnswer) {
    harness.screen->setWindows({window(11, QRect(100, 100, 800, 600))});
    prepare();
    const int shown = harness.model.windowShown;

    studio().selectArea();
    EXPECT_FALSE(studio().setupVisible());
    ASSERT_TRUE(harness.model.picker.waitUntilOpen());
    harness.model.picker.answer(std::nullopt);
    ASSERT_TRUE(QTest::qWaitFor([&] { return studio().setupVisible(); }, 5000));
    EXPECT_FALSE(studio().targetError()) << "a cancel is no error";
    EXPECT_EQ(studio().scope(), RecordingScope::window);

    studio().selectArea();
    ASSERT_TRUE(harness.model.picker.waitUntilOpen());
    harness.model.picker.answer(QRectF(100, 50, 400, 300));
    ASSERT_TRUE(QTest::qWaitFor([&] { return studio().setupVisible(); }, 5000));
    EXPECT_EQ(studio().region(), (CaptureRegion{studio().displayID(), QRectF(100, 50, 400, 300)}));
    EXPECT_EQ(studio().scope(), RecordingScope::area);
    EXPECT_EQ(harness.model.windowShown, shown + 2);

    harness.screen->setDisplays({right});
    studio().selectArea();
    ASSERT_TRUE(QTest::qWaitFor([&] { return studio().setupVisible(); }, 5000));
    EXPECT_EQ(studio().targetError(), QStringLiteral("录制屏幕已经断开。"));
}

TEST_F(StudioTargetsTest, TheRecordCommandDuringARenderOnlySaysSoAndShowsTheWindow) {
    studio().setProcessing(true);
    studio().toggle(false);
    EXPECT_EQ(harness.model.status, QStringLiteral("正在生成成片，可先取消生成再开始新录制。"));
    EXPECT_EQ(harness.model.windowShown, 1);
    EXPECT_FALSE(studio().setupVisible());
    EXPECT_FALSE(studio().loadingTargets());

    studio().setProcessing(false);
    studio().toggle(true);
    EXPECT_TRUE(studio().setupVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !studio().loadingTargets(); }, 5000));
}
