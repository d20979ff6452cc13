// The recording set-up sheet: its size, the target row by scope, the area's
// display rule, the preview (cropped, never replaced by a stale picture),
// the free-space line and the start button.
#include "editor_ui/EditorLook.h"
#include "editor_ui/SegmentedPicker.h"
#include "platform/files/FreeSpace.h"
#include "recording_ui/RecordingColours.h"
#include "recording_ui/RecordingSetupView.h"
#include "recording_ui/SetupPreviewBox.h"
#include "tests/editor_ui/FocusMarks.h"
#include "tests/editor_ui/Samples.h"
#include "tests/recording/studio/StudioHarness.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace tavero;

namespace {

DisplayInfo display(const QString& name, int x) {
    DisplayInfo info;
    info.name = name;
    info.id = displayIdentifier(name);
    info.pixelFrame = QRect(x, 0, 1920, 1080);
    info.primary = x == 0;
    return info;
}

WindowInfo window(quint32 id, const QString& title) {
    WindowInfo info;
    info.id = id;
    info.frame = QRect(200 + int(id) * 10, 150, 900, 600);
    info.processID = 4242;
    info.title = title;
    info.applicationName = QStringLiteral("编辑器");
    return info;
}

QImage filled(QSize size, Qt::GlobalColor colour) {
    QImage image(size, QImage::Format_RGBA8888_Premultiplied);
    image.fill(colour);
    return image;
}

// The snapshots the sheet asked for, answered when the test says so.
struct PendingSnapshots {
    struct Request {
        ContentFilter filter;
        RecordingSetupView::SnapshotDone done;
    };
    RecordingSetupView::Snapshot function() {
        return [this](const ContentFilter& filter, RecordingSetupView::SnapshotDone done) {
            requests.push_back({filter, std::move(done)});
            return true;
        };
    }
    std::vector<Request> requests;
};

class RecordingSetupViewTest : public testing::Test {
protected:
    void SetUp() override {
        harness.screen->setDisplays({left, right});
        WindowInfo editor = window(77, QStringLiteral("岚帧 Tavero"));
        editor.processID = QCoreApplication::applicationPid();
        harness.screen->setWindows({editor, window(11, QStringLiteral("讲稿.txt")), window(12, QStringLiteral("幻灯片"))});
        harness.screen->setDesktop(filled(QSize(3840, 1080), Qt::gray));
        harness.screen->setPointer(QPoint(100, 100));
        studio().prepare();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !studio().loadingTargets(); }, 5000));
    }

    test::TestStudio& studio() { return harness.studio(); }
    // The sheet, shown as the main window shows it.
    RecordingSetupView& sheet() {
        if (!view) {
            view = std::make_unique<RecordingSetupView>(studio(), snapshots.function());
            view->show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        }
        return *view;
    }
    void answer(size_t request, const QImage& image) { snapshots.requests.at(request).done(image); }
    QColor freeSpaceColour() { return sheet().freeSpaceText()->palette().color(QPalette::WindowText); }

    DisplayInfo left = display(QStringLiteral("L"), 0);
    DisplayInfo right = display(QStringLiteral("R"), 1920);
    test::StudioHarness harness;
    PendingSnapshots snapshots;
    std::unique_ptr<RecordingSetupView> view;
};

TEST(RecordingSetupViewSizeTest, TheSheetIsAtMost860PointsAndLeaves80OfTheScreen) {
    EXPECT_EQ(RecordingSetupView::sheetHeight(std::nullopt), 860);
    EXPECT_EQ(RecordingSetupView::sheetHeight(700), 620);
    EXPECT_EQ(RecordingSetupView::sheetHeight(940), 860);
    EXPECT_EQ(RecordingSetupView::sheetHeight(939), 859);
}

TEST_F(RecordingSetupViewTest, TheSheetIsSizedByTheMainScreen) {
    const int visible = QGuiApplication::primaryScreen()->availableGeometry().height();
    EXPECT_EQ(sheet().width(), 760);
    EXPECT_EQ(sheet().height(), RecordingSetupView::sheetHeight(visible));
}

TEST_F(RecordingSetupViewTest, TheTargetRowFollowsTheScope) {
    studio().setScope(RecordingScope::window);
    EXPECT_EQ(sheet().targetRowText(), QStringLiteral("要录制的窗口"));
    ASSERT_EQ(sheet().windowPicker()->count(), 2);
    EXPECT_EQ(sheet().windowPicker()->itemText(0), QStringLiteral("编辑器 · 讲稿.txt"));
    sheet().windowPicker()->activated(1);
    EXPECT_EQ(studio().windowID(), 12u);

    sheet().scopePicker()->segment(1)->click();
    EXPECT_EQ(studio().scope(), RecordingScope::area);
    EXPECT_EQ(sheet().targetRowText(), QStringLiteral("显示器"));
    ASSERT_EQ(sheet().displayPicker()->count(), 2);
    EXPECT_EQ(sheet().displayPicker()->itemText(1), QStringLiteral("显示器 2 · 1920 × 1080"));
    EXPECT_TRUE(sheet().areaButton()->isVisibleTo(&sheet()));
    EXPECT_EQ(sheet().areaButton()->text(), QStringLiteral("框选录制区域"));

    studio().setScope(RecordingScope::display);
    EXPECT_EQ(sheet().targetRowText(), QStringLiteral("显示器"));
    EXPECT_FALSE(sheet().areaButton()->isVisibleTo(&sheet()));
    EXPECT_TRUE(sheet().effectsSummary()->isVisibleTo(&sheet()));
    EXPECT_TRUE(sheet().systemAudioToggle()->isVisibleTo(&sheet()));

    studio().setScope(RecordingScope::camera);
    EXPECT_EQ(sheet().targetRowText(), QStringLiteral("选择画幅，调整取景；勾选麦克风录入你的声音。"));
    EXPECT_FALSE(sheet().previewBox()->isVisibleTo(&sheet()));
    EXPECT_FALSE(sheet().effectsSummary()->isVisibleTo(&sheet()));
    EXPECT_FALSE(sheet().systemAudioToggle()->isVisibleTo(&sheet())) << "a camera take records no system sound";
    EXPECT_TRUE(sheet().microphoneToggle()->isVisibleTo(&sheet()));
    test::writeSample(sheet(), QStringLiteral("recording-setup-camera"));
}

TEST_F(RecordingSetupViewTest, WhileTheTargetsAreReadTheRowWaitsAndNoPreviewIsTaken) {
    studio().setScope(RecordingScope::display);
    sheet();
    const size_t asked = snapshots.requests.size();
    studio().prepare();
    ASSERT_TRUE(studio().loadingTargets());
    EXPECT_EQ(sheet().targetRowText(), QStringLiteral("正在读取可录制窗口…"));
    EXPECT_TRUE(sheet().previewBox()->spinning());
    EXPECT_FALSE(sheet().startButton()->isEnabled());
    EXPECT_EQ(snapshots.requests.size(), asked) << "no snapshot while the targets are read";

    ASSERT_TRUE(QTest::qWaitFor([&] { return !studio().loadingTargets(); }, 5000));
    EXPECT_EQ(sheet().targetRowText(), QStringLiteral("显示器"));
    EXPECT_EQ(snapshots.requests.size(), asked + 1) << "the preview is taken once the targets are in";
}

TEST_F(RecordingSetupViewTest, ChangingTheDisplayDropsAnAreaOfAnotherDisplay) {
    studio().setScope(RecordingScope::area);
    studio().setDisplayID(left.id);
    studio().setRegion(CaptureRegion{left.id, QRectF(100, 100, 400, 300)});
    EXPECT_EQ(sheet().areaButton()->text(), QStringLiteral("重新框选"));

    studio().setDisplayID(left.id);
    EXPECT_TRUE(studio().region()) << "the same display keeps it";
    sheet().displayPicker()->activated(1);
    EXPECT_EQ(studio().displayID(), right.id);
    EXPECT_FALSE(studio().region());
    EXPECT_EQ(sheet().areaButton()->text(), QStringLiteral("框选录制区域"));
    sheet().displayPicker()->activated(0);
    EXPECT_FALSE(studio().region()) << "switching back does not bring it back";

    // An area on the display switched to, whoever switched, stays.
    studio().setRegion(CaptureRegion{right.id, QRectF(0, 0, 300, 200)});
    studio().setDisplayID(right.id);
    EXPECT_TRUE(studio().region());
}

TEST_F(RecordingSetupViewTest, ThePreviewShowsOnlyTheAreaInTheSnapshotsPixels) {
    studio().setScope(RecordingScope::area);
    studio().setDisplayID(left.id);
    sheet();
    ASSERT_FALSE(snapshots.requests.empty());
    EXPECT_TRUE(snapshots.requests.back().filter.display) << "without an area the whole display";
    answer(snapshots.requests.size() - 1, filled(QSize(3840, 2160), Qt::gray));
    ASSERT_TRUE(sheet().preview());
    EXPECT_EQ(sheet().preview()->size(), QSize(3840, 2160));

    studio().setRegion(CaptureRegion{left.id, QRectF(100.25, 50, 400, 300)});
    QImage snapshot = filled(QSize(3840, 2160), Qt::gray);
    snapshot.setPixelColor(200, 100, Qt::red);  // the area's top-left pixel at scale 2
    answer(snapshots.requests.size() - 1, snapshot);
    ASSERT_TRUE(sheet().preview());
    EXPECT_EQ(sheet().preview()->size(), QSize(801, 600)) << "points scaled to pixels and widened to whole ones";
    EXPECT_EQ(sheet().preview()->pixelColor(0, 0), QColor(Qt::red));
    EXPECT_FALSE(sheet().previewLoading());
    EXPECT_FALSE(sheet().previewBox()->spinning());
    test::writeSample(sheet(), QStringLiteral("recording-setup-area"));
}

TEST_F(RecordingSetupViewTest, AnOlderSnapshotNeverReplacesANewerOne) {
    studio().setScope(RecordingScope::window);
    studio().setWindowID(11);
    sheet();
    const size_t first = snapshots.requests.size() - 1;
    ASSERT_TRUE(snapshots.requests[first].filter.window);
    EXPECT_EQ(snapshots.requests[first].filter.window->id, 11u);
    EXPECT_TRUE(snapshots.requests[first].filter.withoutOwnWindows) << "nothing over the window shows";
    sheet().windowPicker()->activated(1);
    const size_t second = snapshots.requests.size() - 1;
    ASSERT_GT(second, first);

    answer(first, filled(QSize(900, 600), Qt::blue));
    EXPECT_FALSE(sheet().preview()) << "the older picture is dropped";
    EXPECT_TRUE(sheet().previewBox()->spinning()) << "the newer one is still awaited";
    answer(second, filled(QSize(900, 600), Qt::red));
    ASSERT_TRUE(sheet().preview());
    EXPECT_EQ(sheet().preview()->pixelColor(0, 0), QColor(Qt::red));
    EXPECT_FALSE(sheet().previewBox()->spinning());
    test::writeSample(sheet(), QStringLiteral("recording-setup-window"));
}

TEST_F(RecordingSetupViewTest, AMissingWindowIsPreviewedAsItsDisplayAndAFailedSnapshotAsNothing) {
    studio().setScope(RecordingScope::window);
    studio().setWindowID(999);
    sheet();
    ASSERT_FALSE(snapshots.requests.empty());
    const ContentFilter& filter = snapshots.requests.back().filter;
    EXPECT_FALSE(filter.window);
    ASSERT_TRUE(filter.display);
    EXPECT_EQ(filter.display->id, studio().displayID());
    EXPECT_TRUE(filter.withoutOwnWindows);
    EXPECT_EQ(filter.ownWindows, QList<quint32>{77}) << "the editor stays out of the preview";
    snapshots.requests.back().done(ShotError(QStringLiteral("无法读取屏幕。")));
    EXPECT_FALSE(sheet().preview());
    EXPECT_TRUE(sheet().previewBox()->showsPlaceholder());
}

TEST_F(RecordingSetupViewTest, TheFreeSpaceLineWarnsInOrangeBelow5GBAndRefusesBelow3GB) {
    std::optional<qint64> free;
    FreeSpace::ScopedProbe probe([&free](const QString&) { return free; });
    const auto showing = [&](std::optional<qint64> bytes) {
        free = bytes;
        studio().refreshDiskSpace();
        return sheet().freeSpaceText()->text();
    };
    const QColor secondary = EditorLook::secondaryText(&sheet());

    EXPECT_EQ(showing(5'000'000'000), QStringLiteral("可用空间 5.0 GB · 低于 2 GB 时会提前保存并停止录制"));
    EXPECT_EQ(freeSpaceColour(), secondary);
    EXPECT_EQ(showing(4'999'999'999), QStringLiteral("可用空间 5.0 GB · 低于 2 GB 时会提前保存并停止录制"));
    EXPECT_EQ(freeSpaceColour(), RecordingColours::orange());
    EXPECT_TRUE(sheet().startButton()->isEnabled());
    EXPECT_EQ(showing(2'999'999'999),
              QStringLiteral("可用空间仅 3.0 GB。请先腾出至少 3 GB 空间再录制，以免系统中断录屏。"));
    EXPECT_EQ(freeSpaceColour(), RecordingColours::red());
    EXPECT_FALSE(sheet().startButton()->isEnabled());
    test::writeSample(sheet(), QStringLiteral("recording-setup-low-space"));
    EXPECT_EQ(showing(std::nullopt), QStringLiteral("暂时无法读取可用空间，请确认磁盘仍有足够空间。"));
    EXPECT_EQ(freeSpaceColour(), secondary);
    EXPECT_TRUE(sheet().startButton()->isEnabled()) << "an unknown amount blocks nothing";
}

TEST_F(RecordingSetupViewTest, StartIsOfferedExactlyWhenTheStudioCanStart) {
    studio().setScope(RecordingScope::area);
    EXPECT_FALSE(studio().canStart());
    EXPECT_FALSE(sheet().startButton()->isEnabled()) << "an area take needs its area";
    studio().setRegion(CaptureRegion{studio().displayID(), QRectF(10, 10, 300, 200)});
    EXPECT_TRUE(studio().canStart());
    EXPECT_TRUE(sheet().startButton()->isEnabled());
    studio().setProcessing(true);
    EXPECT_FALSE(sheet().startButton()->isEnabled()) << "not while a render runs";
    studio().setProcessing(false);

    sheet().startButton()->click();
    EXPECT_TRUE(studio().phase().occupied());
    EXPECT_FALSE(studio().setupVisible());
    EXPECT_FALSE(sheet().startButton()->isEnabled());
}

TEST_F(RecordingSetupViewTest, TheFooterShowsTheStudiosErrorInsteadOfTheKeys) {
    EXPECT_EQ(sheet().footerText()->text(), QStringLiteral("Ctrl+Shift+P 暂停／继续 · Ctrl+Shift+8 停止"));
    studio().setMicrophone(true);
    harness.microphone->state = MicrophoneAuthorization::denied;
    studio().setScope(RecordingScope::display);
    sheet().startButton()->click();
    EXPECT_EQ(sheet().footerText()->text(), QStringLiteral("麦克风未授权。可在系统设置中允许，或关闭麦克风。"));
    EXPECT_EQ(sheet().footerText()->palette().color(QPalette::WindowText), RecordingColours::red());
    EXPECT_TRUE(studio().setupVisible());
}

TEST_F(RecordingSetupViewTest, TheSoundSectionNamesTheMicrophoneOrWarnsThatThereIsNone) {
    studio().setMicrophone(true);
    EXPECT_TRUE(sheet().microphoneLine()->isVisible());
    EXPECT_EQ(sheet().microphoneLine()->text(), QStringLiteral("麦克风：内置麦克风"));
    EXPECT_FALSE(sheet().soundWarning()->isVisible());

    // Back from the system's settings, where the only microphone was unplugged.
    harness.sound.offered = {true, std::nullopt};
    studio().refreshAudioAuthorization();
    EXPECT_TRUE(sheet().soundWarning()->isVisible());
    EXPECT_EQ(sheet().soundWarning()->text(), QStringLiteral("没有找到麦克风。请接上麦克风，或关闭麦克风后录制。"));
    EXPECT_FALSE(sheet().microphoneLine()->isVisible());

    sheet().microphoneToggle()->click();
    EXPECT_EQ(sheet().soundWarning()->text(), QStringLiteral("麦克风已关闭，不会录入你的讲解声。"));

    harness.sound.offered = {};
    studio().refreshAudioAuthorization();
    EXPECT_EQ(sheet().soundWarning()->text(),
              QStringLiteral("无法连接声音服务。请确认系统声音可用，或关闭系统声音和麦克风后录制。"));
    sheet().systemAudioToggle()->click();
    EXPECT_EQ(sheet().soundWarning()->text(), QStringLiteral("麦克风已关闭，不会录入你的讲解声。"))
        << "a silent take needs no server";
}

// The warning wraps within the sound section and is as tall as its lines.
TEST_F(RecordingSetupViewTest, TheSoundWarningShowsAllOfItsLines) {
    harness.sound.offered = {true, std::nullopt};
    studio().setMicrophone(true);
    studio().refreshAudioAuthorization();
    QLabel* warning = sheet().soundWarning();
    ASSERT_TRUE(QTest::qWaitFor([&] { return warning->isVisible() && warning->width() > 0; }, 2000));
    QTest::qWait(0);  // the layouts' pending requests
    ASSERT_EQ(warning->text(), QStringLiteral("没有找到麦克风。请接上麦克风，或关闭麦克风后录制。"));
    EXPECT_GE(warning->height(), warning->heightForWidth(warning->width())) << "its lines are cut";
    EXPECT_GE(warning->width(), warning->parentWidget()->width() - 8) << "it wraps within the section's width";
    EXPECT_TRUE(warning->parentWidget()->rect().contains(warning->geometry())) << "it lies within its section";
}

TEST_F(RecordingSetupViewTest, ClosingTheIdleSheetHidesTheTeleprompterAndTheCamera) {
    studio().setNotesEnabled(true);
    studio().setCameraEnabled(true);
    const int stops = harness.webcam->stops;
    sheet().cancelButton()->click();
    EXPECT_FALSE(studio().setupVisible());
    sheet().hide();
    EXPECT_TRUE(QTest::qWaitFor([&] { return harness.webcam->stops > stops; }, 2000));
    EXPECT_EQ(harness.overlayCalls.back(), QStringLiteral("hideNotes"));
    const size_t starts = harness.webcam->starts.size();
    sheet().show();
    EXPECT_GT(harness.webcam->starts.size(), starts) << "reopened with the camera on, the camera starts again";
}

// The start closes the sheet a moment before its countdown begins.
TEST_F(RecordingSetupViewTest, ASheetClosedByItsStartKeepsTheCameraAndTheTeleprompter) {
    studio().setScope(RecordingScope::display);
    studio().setNotesEnabled(true);
    studio().setCameraEnabled(true);
    harness.webcam->answer(true);
    const int stops = harness.webcam->stops;
    // As the main window does: the sheet closes the moment the flag turns false.
    QObject::connect(&studio(), &RecordingStudio::setupVisibleChanged, &sheet(), [this] {
        if (!studio().setupVisible()) sheet().hide();
    });
    sheet().startButton()->click();
    harness.webcam->answer(true);
    ASSERT_TRUE(studio().phase().occupied());
    ASSERT_TRUE(sheet().isHidden());
    QTest::qWait(50);
    EXPECT_EQ(harness.webcam->stops, stops);
    EXPECT_TRUE(std::find(harness.overlayCalls.begin(), harness.overlayCalls.end(), QStringLiteral("hideNotes")) ==
                harness.overlayCalls.end());
}

// With the notes open, every control of the sheet is on the way of Tab.
TEST_F(RecordingSetupViewTest, EveryControlTabReachesShowsItsFocusAndSoDoesEachScope) {
    studio().setNotesEnabled(true);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet()));
    int reached = 0;
    const QStringList unmarked = test::unmarkedAlongTab(sheet(), &reached);
    EXPECT_GE(reached, 12);
    EXPECT_TRUE(unmarked.isEmpty()) << unmarked.join(QLatin1Char('\n')).toStdString();

    for (int index = 0; index < sheet().scopePicker()->count(); ++index)
        EXPECT_GE(test::markPixelsByTab(*sheet().scopePicker()->segment(index)), test::smallestMark) << index;
}

}  // namespace
