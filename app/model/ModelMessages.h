#pragma once

#include <QString>

// The status sentences and document names of the application model's
// actions; the views and the tests compare against them.
namespace tavero::ModelMessages {

inline QString ready() { return QStringLiteral("准备好了。截图和编辑都在本机完成。"); }
inline QString saved(const QString& name) { return QStringLiteral("已保存：") + name; }
// An "index.json" that could not be read was renamed before a new one
// replaced it; its records are no longer in the history.
inline QString manifestKeptAside(const QString& keptAs) {
    return QStringLiteral("无法读取的历史记录已另存为“%1”，未列入历史。").arg(keptAs);
}

inline QString capturing() { return QStringLiteral("正在捕获屏幕…"); }
inline QString captureReady() { return QStringLiteral("截图已就绪，可以直接标注。"); }
inline QString requestingPermission() { return QStringLiteral("正在向系统请求屏幕录制权限…"); }
inline QString permissionConfirmed() { return QStringLiteral("屏幕录制权限已确认，可以截图了。"); }

// Put before the scrolling session's notice about frames that did not line
// up, once the long image is stored.
inline QString scrollingKept(const QString& notice) {
    return QStringLiteral("已保留长截图，最后未对齐的画面没有加入。") + notice;
}

// Names of the document a capture opens.
inline QString newCapture() { return QStringLiteral("新截图"); }
inline QString scrollingCapture() { return QStringLiteral("滚动长截图"); }

}  // namespace tavero::ModelMessages
