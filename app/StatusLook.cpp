#include "app/StatusLook.h"

#include "platform/AppBrand.h"

#include <cmath>

namespace tavero {

namespace {

using Kind = RecordingPhase::Kind;

QString titleOf(const StatusState& state) {
    const RecordingPhase& phase = state.phase;
    if (state.recording) return StatusLook::clock(state.elapsed);
    switch (phase.kind()) {
    case Kind::paused: return QStringLiteral(" 暂停") + StatusLook::clock(state.elapsed);
    case Kind::pausing: return QStringLiteral(" 暂停中");
    case Kind::resuming: return QStringLiteral(" 继续中");
    case Kind::starting: return QStringLiteral(" 启动中");
    case Kind::stopping: return QStringLiteral(" 保存中");
    case Kind::restarting: return QStringLiteral(" 准备重录");
    case Kind::countdown: return QStringLiteral(" %1 秒后录制").arg(phase.secondsLeft());
    case Kind::idle:
    case Kind::recording: break;
    }
    if (state.countdown >= 1) return QStringLiteral(" %1").arg(state.countdown);
    if (state.scrollCount >= 1) return QStringLiteral(" 长图 %1").arg(state.scrollCount);
    return {};
}

QString symbolOf(const RecordingPhase& phase) {
    if (phase.kind() == Kind::paused) return QStringLiteral("pause.circle.fill");
    if (phase.occupied()) return QStringLiteral("record.circle.fill");
    return QStringLiteral("viewfinder");
}

StatusLook::Tint tintOf(const StatusState& state) {
    if (state.recording) return StatusLook::Tint::red;
    if (state.phase.occupied()) return StatusLook::Tint::orange;
    return StatusLook::Tint::none;
}

}  // namespace

StatusLook StatusLook::of(const StatusState& state) { return {symbolOf(state.phase), tintOf(state), titleOf(state)}; }

QString StatusLook::toolTip() { return AppBrand::displayName + QStringLiteral(" · 截图 Ctrl+Shift+2 · 录屏 Ctrl+Shift+8"); }

QString StatusLook::clock(double seconds) {
    const auto whole = static_cast<long long>(std::trunc(seconds));
    const long long minutes = whole / 60;
    return QString::asprintf(" %02lld:%02lld", minutes, whole - 60 * minutes);
}

QList<StatusMenuEntry> StatusMenuEntry::entries(const StatusState& state) {
    const auto item = [](const char* title, ShellCommand command) {
        return StatusMenuEntry{QString::fromUtf8(title), command, false};
    };
    const StatusMenuEntry separator{{}, ShellCommand::openEditor, true};
    const RecordingPhase& phase = state.phase;

    QList<StatusMenuEntry> menu{
        item("区域截图  Ctrl+Shift+2", ShellCommand::area),
        item("全屏截图  Ctrl+Shift+6", ShellCommand::full),
        item("窗口截图", ShellCommand::windowShot),
        item("上次区域", ShellCommand::previous),
        item("滚动长截图", ShellCommand::scroll),
    };
    if (state.scrollCount >= 1) {
        menu.append(item("接续一张  Ctrl+Shift+9", ShellCommand::addScroll));
        menu.append(item("完成长截图", ShellCommand::finishScroll));
    }
    if (state.countdown >= 1) menu.append(item("取消倒计时", ShellCommand::cancelCountdown));
    menu.append(separator);
    menu.append(item(phase.occupied() ? "停止录屏  Ctrl+Shift+8" : "开始录屏  Ctrl+Shift+8", ShellCommand::record));
    if (phase.canPauseOrResume()) {
        const bool paused = phase.kind() == Kind::paused;
        menu.append(item(paused ? "继续录屏  Ctrl+Shift+P" : "暂停录屏  Ctrl+Shift+P", ShellCommand::pauseRecording));
        menu.append(item("重新录制当前段", ShellCommand::retake));
    }
    menu.append(item("打开编辑器  Ctrl+Shift+1", ShellCommand::openEditor));
    menu.append(item("打开保存文件夹", ShellCommand::folder));
    menu.append(separator);
    menu.append({QStringLiteral("退出") + AppBrand::name, ShellCommand::quit, false});
    return menu;
}

}  // namespace tavero
