// The control bar through a take: its title, detail, clock and buttons in
// every phase, and the studio calls its buttons make.
#include "recording_ui/RecordingActionButton.h"
#include "recording_ui/RecordingColours.h"
#include "recording_ui/RecordingControlBar.h"
#include "recording_ui/RecordingWindowTexts.h"
#include "recording_ui/StatusDot.h"
#include "recording_ui/SymbolButton.h"
#include "tests/recording_ui/RecordingWindowsHarness.h"

#include <gtest/gtest.h>

using namespace tavero;
using Kind = RecordingPhase::Kind;

namespace {

class RecordingControlBarTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(take.prepare()); }

    test::TestStudio& studio() { return take.studio(); }

    test::TakeDriver take;
    RecordingControlBar bar{take.studio()};
};

TEST(RecordingWindowTextsTest, TheClockCountsWholeMinutesAndSeconds) {
    EXPECT_EQ(RecordingWindowTexts::clock(3725), QStringLiteral("62:05")) << "minutes go on past the hour";
    EXPECT_EQ(RecordingWindowTexts::clock(59.9), QStringLiteral("00:59")) << "the fraction is dropped";
    EXPECT_EQ(RecordingWindowTexts::clock(0), QStringLiteral("00:00"));
    EXPECT_EQ(RecordingWindowTexts::percent(0.65), QStringLiteral("65%"));
    EXPECT_EQ(RecordingWindowTexts::percent(0.125), QStringLiteral("13%")) << "halves away from zero";
}

TEST_F(RecordingControlBarTest, TheCountdownOffersOnlyItsCancel) {
    take.countdown();
    EXPECT_EQ(bar.title(), QStringLiteral("3 秒后开始录制"));
    EXPECT_TRUE(bar.elapsedText().isEmpty());
    EXPECT_FALSE(bar.pauseButton()->isEnabled());
    EXPECT_FALSE(bar.retakeButton()->isEnabled());
    EXPECT_EQ(bar.stopButton()->text(), QStringLiteral("取消"));
    EXPECT_TRUE(bar.stopButton()->isEnabled());
    EXPECT_TRUE(bar.stopButton()->actionStyle().prominent);
    EXPECT_EQ(bar.dot().color(), RecordingColours::orange());

    bar.stopButton()->click();
    EXPECT_EQ(studio().phase(), RecordingPhase(Kind::idle)) << "the countdown is cancelled";
    EXPECT_EQ(bar.title(), QStringLiteral("录制已结束"));
}

TEST_F(RecordingControlBarTest, ARecordingTakeShowsItsClockAndItsCommands) {
    take.record();
    take.recorded(3725.7);
    EXPECT_EQ(bar.title(), QStringLiteral("正在录制"));
    EXPECT_EQ(bar.detail(), studio().audioSummary());
    EXPECT_EQ(bar.elapsedText(), QStringLiteral("62:05"));
    EXPECT_EQ(bar.dot().color(), RecordingColours::red());
    EXPECT_EQ(bar.pauseButton()->text(), QStringLiteral("暂停"));
    EXPECT_EQ(bar.pauseButton()->symbol(), QStringLiteral("pause.fill"));
    EXPECT_FALSE(bar.pauseButton()->actionStyle().positive);
    EXPECT_TRUE(bar.pauseButton()->isEnabled());
    EXPECT_TRUE(bar.retakeButton()->isEnabled());
    EXPECT_EQ(bar.stopButton()->text(), QStringLiteral("停止录制"));
    EXPECT_FALSE(bar.portraitButton()->isVisibleTo(&bar)) << "no camera, no portrait button";
}

TEST_F(RecordingControlBarTest, APausedTakeOffersToContinueInGreen) {
    take.record();
    take.recorded(12);
    bar.pauseButton()->click();
    EXPECT_EQ(studio().phase(), RecordingPhase(Kind::pausing));
    EXPECT_EQ(bar.title(), QStringLiteral("正在暂停…"));
    EXPECT_EQ(bar.pauseButton()->text(), QStringLiteral("暂停中…"));
    EXPECT_FALSE(bar.pauseButton()->isEnabled());

    take.pauseDone();
    EXPECT_EQ(bar.title(), QStringLiteral("录屏已暂停"));
    EXPECT_EQ(bar.detail(), QStringLiteral("画面与声音均已暂停"));
    EXPECT_EQ(bar.elapsedText(), QStringLiteral("00:12")) << "the clock stays";
    EXPECT_EQ(bar.dot().color(), RecordingColours::orange());
    EXPECT_EQ(bar.pauseButton()->text(), QStringLiteral("继续录制"));
    EXPECT_EQ(bar.pauseButton()->symbol(), QStringLiteral("play.fill"));
    EXPECT_TRUE(bar.pauseButton()->actionStyle().positive);
    EXPECT_EQ(bar.pauseButton()->actionStyle().background(true), QColor::fromRgbF(0.184f, 0.769f, 0.627f));
    EXPECT_EQ(bar.pauseButton()->actionStyle().foreground(true), QColor::fromRgbF(0.06f, 0.19f, 0.16f));

    bar.pauseButton()->click();
    EXPECT_EQ(bar.title(), QStringLiteral("正在继续…"));
    EXPECT_EQ(bar.pauseButton()->text(), QStringLiteral("继续中…"));
}

TEST_F(RecordingControlBarTest, AStoppingTakeSaysWhetherItSavesOrRetakes) {
    take.record();
    bar.stopButton()->click();
    EXPECT_EQ(studio().phase(), RecordingPhase(Kind::stopping));
    EXPECT_EQ(bar.title(), QStringLiteral("正在保存原片…"));
    EXPECT_EQ(bar.stopButton()->text(), QStringLiteral("保存中…"));
    EXPECT_FALSE(bar.stopButton()->isEnabled());
    EXPECT_EQ(bar.stopButton()->actionStyle().background(false), QColor::fromRgbF(0.15f, 0.19f, 0.25f));
    EXPECT_TRUE(bar.elapsedText().isEmpty());

    EXPECT_EQ(RecordingWindowTexts::barTitle(Kind::stopping, false, true), QStringLiteral("正在准备重录…"));
    EXPECT_EQ(RecordingWindowTexts::barTitle(Kind::restarting, false, false), QStringLiteral("即将重新录制…"));
    EXPECT_EQ(RecordingWindowTexts::barTitle(Kind::starting, false, false), QStringLiteral("正在启动录屏…"));
    EXPECT_EQ(RecordingWindowTexts::barStopTitle(Kind::restarting), QStringLiteral("取消"));
}

TEST_F(RecordingControlBarTest, ThePortraitButtonBelongsToScreenTakesWithTheCamera) {
    studio().setCameraEnabled(true);
    take.harness.webcam->answer(true);
    take.record();
    ASSERT_EQ(studio().phase(), RecordingPhase(Kind::recording));
    ASSERT_TRUE(bar.portraitButton()->isVisibleTo(&bar));
    EXPECT_EQ(bar.portraitButton()->symbol(), QStringLiteral("person.crop.rectangle"));

    bar.portraitButton()->click();
    EXPECT_TRUE(studio().portrait().fullScreen);
    EXPECT_EQ(bar.title(), QStringLiteral("正在录制 · 全屏口播"));
    EXPECT_EQ(bar.portraitButton()->symbol(), QStringLiteral("rectangle.inset.filled"));

    studio().setScope(RecordingScope::camera);
    EXPECT_FALSE(bar.portraitButton()->isVisibleTo(&bar)) << "a camera-only take has no screen to return to";
}

TEST_F(RecordingControlBarTest, TheTeleprompterButtonTogglesThePanel) {
    take.record();
    take.harness.overlayCalls.clear();
    bar.notesButton()->click();
    EXPECT_TRUE(studio().notesVisible());
    bar.notesButton()->click();
    EXPECT_FALSE(studio().notesVisible());
    EXPECT_EQ(take.harness.overlayCalls, (std::vector<QString>{QStringLiteral("showNotes"), QStringLiteral("hideNotes")}));
    EXPECT_EQ(bar.notesButton()->accessibleName(), QStringLiteral("提词器"));
}

}  // namespace
