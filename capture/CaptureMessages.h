#pragma once

#include <QString>

// The sentences still capture answers with; callers compare and show them.
namespace tavero::CaptureMessages {

inline QString busy() { return QStringLiteral("正在准备截图，请稍候。"); }
inline QString contentTimeout() {
    return QStringLiteral("系统截图服务响应超过 15 秒。应用仍可编辑已有图片，请稍后再试。");
}
inline QString noService() { return QStringLiteral("无法连接系统截图服务。"); }
inline QString noScreen() { return QStringLiteral("没有找到可截图的屏幕。"); }
inline QString snapshotTimeout() { return QStringLiteral("系统未及时返回截图，请检查屏幕录制权限后重试。"); }
inline QString snapshotFailed() { return QStringLiteral("截图失败。"); }
inline QString cancelled() { return QStringLiteral("已取消截图"); }
inline QString noWindow() { return QStringLiteral("没有选中可截图的窗口。"); }
inline QString tooSmall() { return QStringLiteral("截图区域太小，请重新框选。"); }

// The recording-area picker's own answers, and its overlay's title and prompt.
inline QString areaCancelled() { return QStringLiteral("已取消框选"); }
inline QString recordingScreenGone() { return QStringLiteral("录制屏幕已经断开。"); }
inline QString recordingAreaTitle() { return QStringLiteral("框选录制区域 · 松开后返回设置 · Esc 取消"); }

// Overlay window titles; the scrolling one is also the overlay's prompt.
inline QString scrollingTitle() {
    return QStringLiteral("框住要滚动的内容，避开固定工具栏 · 松开后向下滚动 · Esc 取消");
}
inline QString windowTitle() { return QStringLiteral("点击要截取的窗口 · Esc 取消"); }
inline QString areaTitle() { return QStringLiteral("拖出截图区域 · 松开完成 · Esc 取消"); }

}  // namespace tavero::CaptureMessages
