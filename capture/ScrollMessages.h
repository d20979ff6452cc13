#pragma once

#include <QString>

// The sentences of a scrolling screenshot: the bar's one-line status, the
// notice delivered with the long image and the stream's failure.
namespace tavero::ScrollMessages {

inline QString ready() { return QStringLiteral("向下滚动，画面停稳后会自动接续。"); }
inline QString connecting() { return QStringLiteral("正在连接页面，稍后在绿色框内向下滚动…"); }
inline QString streaming() { return QStringLiteral("在绿色框内向下滚动，内容会实时接续。截完点「完成」。"); }
inline QString continuous() { return QStringLiteral("长截图正在连续采集，直接滚动页面即可。"); }
inline QString joined() { return QStringLiteral("正在实时接续 · 截完点「完成」"); }
inline QString unchanged() { return QStringLiteral("继续向下滚动；到页面底部后点「完成」。"); }
inline QString notAligned() { return QStringLiteral("暂未对齐，请向上回一点再慢慢下滑；不会拼入错位画面。"); }
inline QString paused() { return QStringLiteral("已暂停接续，切回选中的页面即可继续。"); }
inline QString finishing() { return QStringLiteral("正在接续最后一屏…"); }
inline QString interrupted() { return QStringLiteral("截取中断，请点完成保存已截部分。"); }
inline QString cannotContinue() { return QStringLiteral("无法继续截取，可先保存已截部分。"); }
inline QString nothingJoined() {
    return QStringLiteral("未检测到可接续的滚动内容，已保留当前一屏。请框选实际可滚动的正文区域。");
}

// The region's display is gone: the stream cannot start or cannot go on.
inline QString screenGone() { return QStringLiteral("长截图所在屏幕已断开。"); }

}  // namespace tavero::ScrollMessages
