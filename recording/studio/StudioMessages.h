#pragma once

#include <QString>

// The sentences of the recording studio: its status lines and what the
// set-up sheet shows of the target.
namespace tavero::StudioMessages {

// The status line through a take.
inline QString countingDown() { return QStringLiteral("倒计时 3 秒，准备录制…"); }
inline QString starting() { return QStringLiteral("正在启动录屏…"); }
inline QString recording() {
    return QStringLiteral("正在录制 · 可暂停 / 继续 · Ctrl+Shift+P · 停止 Ctrl+Shift+8");
}
inline QString pausing() { return QStringLiteral("正在暂停，保存当前片段…"); }
inline QString paused() { return QStringLiteral("录屏已暂停 · 画面与声音均未录入 · Ctrl+Shift+P 继续"); }
inline QString resuming() { return QStringLiteral("正在继续录制…"); }
inline QString saving() { return QStringLiteral("正在保存并检查录屏原片…"); }
inline QString endingForRetake() { return QStringLiteral("正在结束当前段，准备重新录制…"); }
inline QString countdownCancelled() { return QStringLiteral("已取消录制，尚未开始。"); }
inline QString retakeCancelled() { return QStringLiteral("已取消重录；已放入废纸篓的上一段仍可找回。"); }
// Why a take stopped early; kept with the video.
inline QString diskNearlyFull() {
    return QStringLiteral("可用空间不足 2 GB，已提前停止并保存当前录制。请腾出空间后继续。");
}
// A take whose recorder cannot begin in this build.
inline QString recordingUnavailable() {
    return QStringLiteral("这一版岚帧还不能录屏；截图、标注和美化都可以照常使用。");
}

// What a finished take reports, line by line: its length and why it ended
// early, then its file.
inline QString savedEarly(double seconds, const QString& interruption, const QString& file) {
    return QString::asprintf("已保存 %.1f 秒原片。\n", seconds) + interruption + QStringLiteral("\n文件：") + file;
}
inline QString projectNotSaved(const QString& description) {
    return QStringLiteral("原片已保存，但自动运镜数据未能保存：") + description;
}

// The render of the finished video.
inline QString rendering() { return QStringLiteral("原片已保存，正在生成自动运镜与外侧柔焦背景…"); }
inline QString portraitBaked() { return QStringLiteral("这段视频已包含人像和画面效果，可直接裁剪或导出。"); }
inline QString rawMissing() { return QStringLiteral("找不到原始录屏文件，无法重新生成。"); }
inline QString renderStoppedForSpace() {
    return QStringLiteral("磁盘空间不足，已停止生成成片。原片已保留，腾出空间后可重新生成。");
}
inline QString renderCancelled() { return QStringLiteral("已取消成片生成，原始录屏已保留。"); }
inline QString renderFailed(const QString& description) {
    return QStringLiteral("成片未完成，原片已保留：") + description;
}
inline QString renderProjectNotSaved() { return QStringLiteral("成片已生成，工程信息保存失败。"); }

// Why a retake went back to the set-up sheet.
inline QString retakeTargetsUnreadable(const QString& description) {
    return QStringLiteral("重新读取录制范围失败：") + description;
}
inline QString retakeTargetGone() {
    return QStringLiteral("原录制窗口或区域已不可用，请重新选择。上一段可从废纸篓找回。");
}

// Why the set-up sheet cannot start a take.
inline QString microphonePromptRefused() {
    return QStringLiteral("麦克风未授权。可打开麦克风设置，或关闭麦克风后录制。");
}
inline QString microphoneDenied() { return QStringLiteral("麦克风未授权。可在系统设置中允许，或关闭麦克风。"); }
inline QString noScreen() { return QStringLiteral("没有找到可录制的屏幕。"); }
// Also the sound section's warning line, before any start.
inline QString noMicrophone() { return QStringLiteral("没有找到麦克风。请接上麦克风，或关闭麦克风后录制。"); }
inline QString noSoundServer() {
    return QStringLiteral("无法连接声音服务。请确认系统声音可用，或关闭系统声音和麦克风后录制。");
}

// The set-up sheet's line about the target.
inline QString noWindowChosen() { return QStringLiteral("选择一个窗口"); }
inline QString noAreaChosen() { return QStringLiteral("先框选录制区域"); }
inline QString areaTarget(int width, int height) { return QStringLiteral("框选区域 · %1 × %2").arg(width).arg(height); }
inline QString displayTarget(int width, int height) { return QStringLiteral("全屏 · %1 × %2").arg(width).arg(height); }
inline QString cameraTarget(const QString& aspect, const QString& size) {
    return QStringLiteral("摄像头口播 · %1 · %2").arg(aspect, size);
}
// A window without a program that names itself.
inline QString someWindow() { return QStringLiteral("窗口"); }

}  // namespace tavero::StudioMessages
