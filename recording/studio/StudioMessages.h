#pragma once

#include <QString>

// The sentences of the recording studio: its status lines and what the
// set-up sheet shows of the target.
namespace tavero::StudioMessages {

inline QString paused() { return QStringLiteral("录屏已暂停 · 画面与声音均未录入 · Ctrl+Shift+P 继续"); }

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
