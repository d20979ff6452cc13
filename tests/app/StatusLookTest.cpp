// What the status item shows and offers in each state, and what a quit
// request does: computed from the model's and the studio's state alone.
#include "app/QuitRule.h"
#include "app/StatusLook.h"

#include <QStringList>

#include <gtest/gtest.h>

using namespace tavero;
using Kind = RecordingPhase::Kind;
using Tint = StatusLook::Tint;

namespace {

StatusState recordingAt(double seconds) { return {true, RecordingPhase(Kind::recording), seconds, 0, 0}; }
StatusState inPhase(RecordingPhase phase, double seconds = 0) { return {false, phase, seconds, 0, 0}; }

QStringList titles(const StatusState& state) {
    QStringList list;
    for (const StatusMenuEntry& entry : StatusMenuEntry::entries(state)) list.append(entry.separator ? QStringLiteral("—") : entry.title);
    return list;
}

TEST(StatusLookTest, IdleShowsTheViewfinderAloneUntinted) {
    const StatusLook look = StatusLook::of({});
    EXPECT_EQ(look.symbol, QStringLiteral("viewfinder"));
    EXPECT_EQ(look.tint, Tint::none);
    EXPECT_TRUE(look.title.isEmpty());
    EXPECT_EQ(StatusLook::toolTip(), QStringLiteral("岚帧 Tavero · 截图 Ctrl+Shift+2 · 录屏 Ctrl+Shift+8"));
}

TEST(StatusLookTest, TheRecordingClockCountsWholeMinutesAndSecondsInRed) {
    const StatusLook look = StatusLook::of(recordingAt(75.9));
    EXPECT_EQ(look.title, QStringLiteral(" 01:15"));
    EXPECT_EQ(look.symbol, QStringLiteral("record.circle.fill"));
    EXPECT_EQ(look.tint, Tint::red);
    EXPECT_EQ(StatusLook::of(recordingAt(3725)).title, QStringLiteral(" 62:05"));
    EXPECT_EQ(StatusLook::of(recordingAt(0)).title, QStringLiteral(" 00:00"));
    EXPECT_EQ(StatusLook::of(recordingAt(6000.4)).title, QStringLiteral(" 100:00"));
}

TEST(StatusLookTest, PausedShowsThePauseSymbolInOrangeWithTheClock) {
    const StatusLook look = StatusLook::of(inPhase(RecordingPhase(Kind::paused), 75.9));
    EXPECT_EQ(look.title, QStringLiteral(" 暂停 01:15"));
    EXPECT_EQ(look.symbol, QStringLiteral("pause.circle.fill"));
    EXPECT_EQ(look.tint, Tint::orange);
}

TEST(StatusLookTest, EveryPhaseBetweenTakesNamesItselfInOrange) {
    const std::pair<RecordingPhase, const char*> phases[] = {
        {RecordingPhase(Kind::pausing), " 暂停中"},     {RecordingPhase(Kind::resuming), " 继续中"},
        {RecordingPhase(Kind::starting), " 启动中"},    {RecordingPhase(Kind::stopping), " 保存中"},
        {RecordingPhase(Kind::restarting), " 准备重录"}, {RecordingPhase::countdown(3), " 3 秒后录制"},
        {RecordingPhase::countdown(1), " 1 秒后录制"},
    };
    for (const auto& [phase, title] : phases) {
        const StatusLook look = StatusLook::of(inPhase(phase));
        EXPECT_EQ(look.title, QString::fromUtf8(title));
        EXPECT_EQ(look.symbol, QStringLiteral("record.circle.fill")) << title;
        EXPECT_EQ(look.tint, Tint::orange) << title;
    }
}

TEST(StatusLookTest, ACaptureCountdownComesBeforeALongScreenshot) {
    EXPECT_EQ(StatusLook::of({false, {}, 0, 5, 4}).title, QStringLiteral(" 5"));
    EXPECT_EQ(StatusLook::of({false, {}, 0, 0, 4}).title, QStringLiteral(" 长图 4"));
    EXPECT_EQ(StatusLook::of({true, RecordingPhase(Kind::recording), 61, 5, 4}).title, QStringLiteral(" 01:01"))
        << "the recording clock comes first";
    EXPECT_EQ(StatusLook::of({false, {}, 0, 0, 4}).tint, Tint::none);
}

TEST(StatusMenuTest, IdleOffersTheScreenshotsRecordingEditorFolderAndQuit) {
    EXPECT_EQ(titles({}), (QStringList{"区域截图  Ctrl+Shift+2", "全屏截图  Ctrl+Shift+6", "窗口截图", "上次区域",
                                       "滚动长截图", "—", "开始录屏  Ctrl+Shift+8", "打开编辑器  Ctrl+Shift+1",
                                       "打开保存文件夹", "—", "退出岚帧"}));
}

TEST(StatusMenuTest, ALongScreenshotAndACountdownAddTheirItems) {
    const QStringList scrolling = titles({false, {}, 0, 0, 4});
    EXPECT_EQ(scrolling.mid(5, 2), (QStringList{"接续一张  Ctrl+Shift+9", "完成长截图"}));
    const QStringList counting = titles({false, {}, 0, 5, 0});
    EXPECT_EQ(counting.value(5), QStringLiteral("取消倒计时"));
    const QList<StatusMenuEntry> entries = StatusMenuEntry::entries({false, {}, 0, 5, 4});
    EXPECT_EQ(entries.value(5).command, ShellCommand::addScroll);
    EXPECT_EQ(entries.value(6).command, ShellCommand::finishScroll);
    EXPECT_EQ(entries.value(7).command, ShellCommand::cancelCountdown);
}

TEST(StatusMenuTest, RecordingOffersStopPauseAndRetakeAndPausedOffersResume) {
    const QStringList recording = titles(recordingAt(10));
    EXPECT_TRUE(recording.contains(QStringLiteral("停止录屏  Ctrl+Shift+8")));
    EXPECT_TRUE(recording.contains(QStringLiteral("暂停录屏  Ctrl+Shift+P")));
    EXPECT_TRUE(recording.contains(QStringLiteral("重新录制当前段")));
    const QStringList paused = titles(inPhase(RecordingPhase(Kind::paused)));
    EXPECT_TRUE(paused.contains(QStringLiteral("继续录屏  Ctrl+Shift+P")));
    const QStringList counting = titles(inPhase(RecordingPhase::countdown(2)));
    EXPECT_TRUE(counting.contains(QStringLiteral("停止录屏  Ctrl+Shift+8")));
    EXPECT_FALSE(counting.contains(QStringLiteral("暂停录屏  Ctrl+Shift+P"))) << "a countdown cannot pause";
    EXPECT_FALSE(counting.contains(QStringLiteral("重新录制当前段")));
}

TEST(QuitRuleTest, TheFirstMatchingRuleWins) {
    const RecordingPhase idle;
    EXPECT_EQ(quitRule(false, idle, false), QuitRule::terminate);
    EXPECT_EQ(quitRule(true, RecordingPhase(Kind::recording), true), QuitRule::finishScroll);
    EXPECT_EQ(quitRule(false, idle, true), QuitRule::cancelRender);
    for (RecordingPhase phase : {RecordingPhase::countdown(3), RecordingPhase(Kind::starting),
                                 RecordingPhase(Kind::recording), RecordingPhase(Kind::pausing),
                                 RecordingPhase(Kind::paused), RecordingPhase(Kind::resuming),
                                 RecordingPhase(Kind::stopping), RecordingPhase(Kind::restarting)})
        EXPECT_EQ(quitRule(false, phase, true), QuitRule::stopRecording);
}

}  // namespace
