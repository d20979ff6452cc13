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

TEST(StatusLookTest, EachStateShowsItsSymbolTintAndTitle) {
    const struct {
        StatusState state;
        const char* title;
        const char* symbol;
        Tint tint;
    } cases[] = {
        {{}, "", "viewfinder", Tint::none},
        {recordingAt(75.9), " 01:15", "record.circle.fill", Tint::red},
        {recordingAt(6000.4), " 100:00", "record.circle.fill", Tint::red},
        {inPhase(RecordingPhase(Kind::paused), 75.9), " 暂停 01:15", "pause.circle.fill", Tint::orange},
        {inPhase(RecordingPhase(Kind::pausing)), " 暂停中", "record.circle.fill", Tint::orange},
        {inPhase(RecordingPhase(Kind::resuming)), " 继续中", "record.circle.fill", Tint::orange},
        {inPhase(RecordingPhase(Kind::starting)), " 启动中", "record.circle.fill", Tint::orange},
        {inPhase(RecordingPhase(Kind::stopping)), " 保存中", "record.circle.fill", Tint::orange},
        {inPhase(RecordingPhase(Kind::restarting)), " 准备重录", "record.circle.fill", Tint::orange},
        {inPhase(RecordingPhase::countdown(3)), " 3 秒后录制", "record.circle.fill", Tint::orange},
        {{false, {}, 0, 5, 4}, " 5", "viewfinder", Tint::none},
        {{false, {}, 0, 0, 4}, " 长图 4", "viewfinder", Tint::none},
        {{true, RecordingPhase(Kind::recording), 61, 5, 4}, " 01:01", "record.circle.fill", Tint::red},
    };
    for (const auto& expected : cases) {
        const StatusLook look = StatusLook::of(expected.state);
        EXPECT_EQ(look.title, QString::fromUtf8(expected.title));
        EXPECT_EQ(look.symbol, QString::fromUtf8(expected.symbol)) << expected.title;
        EXPECT_EQ(look.tint, expected.tint) << expected.title;
    }
    EXPECT_EQ(StatusLook::toolTip(), QStringLiteral("岚帧 Tavero · 截图 Ctrl+Shift+2 · 录屏 Ctrl+Shift+8"));
}

TEST(StatusMenuTest, IdleOffersTheScreenshotsRecordingEditorFolderAndQuit) {
    EXPECT_EQ(titles({}), (QStringList{"区域截图  Ctrl+Shift+2", "全屏截图  Ctrl+Shift+6", "窗口截图", "上次区域",
                                       "滚动长截图", "—", "开始录屏  Ctrl+Shift+8", "打开编辑器  Ctrl+Shift+1",
                                       "打开保存文件夹", "—", "退出岚帧"}));
}

TEST(StatusMenuTest, ALongScreenshotAndACountdownAddTheirItems) {
    const QList<StatusMenuEntry> entries = StatusMenuEntry::entries({false, {}, 0, 5, 4});
    EXPECT_EQ(entries.value(5).title, QStringLiteral("接续一张  Ctrl+Shift+9"));
    EXPECT_EQ(entries.value(5).command, ShellCommand::addScroll);
    EXPECT_EQ(entries.value(6).title, QStringLiteral("完成长截图"));
    EXPECT_EQ(entries.value(6).command, ShellCommand::finishScroll);
    EXPECT_EQ(entries.value(7).title, QStringLiteral("取消倒计时"));
    EXPECT_EQ(entries.value(7).command, ShellCommand::cancelCountdown);
}

TEST(StatusMenuTest, RecordingOffersStopPauseAndRetakeAndPausedOffersResume) {
    const QStringList recording = titles(recordingAt(10));
    EXPECT_TRUE(recording.contains(QStringLiteral("停止录屏  Ctrl+Shift+8")));
    EXPECT_TRUE(recording.contains(QStringLiteral("暂停录屏  Ctrl+Shift+P")));
    EXPECT_TRUE(recording.contains(QStringLiteral("重新录制当前段")));
    EXPECT_TRUE(titles(inPhase(RecordingPhase(Kind::paused))).contains(QStringLiteral("继续录屏  Ctrl+Shift+P")));
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
