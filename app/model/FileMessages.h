#pragma once

#include "platform/files/FileNames.h"

#include <QString>

// The sentences and names of opening, pasting and the practice image, of the
// open panels and of the video workspace's exports; the views and the tests
// compare against them.
namespace tavero::FileMessages {

// Any name a file handed over can have, shortened as sentences show it.
inline QString opening(const QString& fileName) {
    return QStringLiteral("正在打开：") + shownFileName(fileName) + QStringLiteral("…");
}
inline QString opened(const QString& fileName) { return QStringLiteral("已打开：") + shownFileName(fileName); }
inline QString pasted() { return QStringLiteral("已从剪贴板打开。"); }
inline QString nothingToPaste() { return QStringLiteral("剪贴板中没有图片。"); }
inline QString pastedTooLarge() { return QStringLiteral("图片超过 4000 万像素。"); }
inline QString practiceReady() { return QStringLiteral("这是练习用的示例图。完成后可以复制或保存到桌面「岚帧」。"); }

// Names of the document these open.
inline QString pastedPicture() { return QStringLiteral("剪贴板图片"); }
inline QString practicePicture() { return QStringLiteral("示例图 · 跟着做一次"); }

// The open panels.
inline QString openTitle() { return QStringLiteral("打开图片或视频"); }
inline QString openPrompt() { return QStringLiteral("打开"); }
inline QString openMessage() { return QStringLiteral("选择图片、录屏视频或可编辑的岚帧工程。"); }
inline QString appendTitle() { return QStringLiteral("选择要拼接的图片"); }
inline QString appendPrompt() { return QStringLiteral("拼接"); }
inline QString appendBelow() { return QStringLiteral("把另一张图片接在当前图片下方。"); }
inline QString appendBeside() { return QStringLiteral("把另一张图片接在当前图片右侧。"); }

// The video workspace's exports.
inline QString exportingGif() { return QStringLiteral("正在导出 GIF…"); }
inline QString gifSaved(const QString& fileName) { return QStringLiteral("GIF 已保存：") + fileName; }
// The trimmed clip was written but could not be listed, for `reason`, and
// was removed again.
inline QString trimNotListed(const QString& reason) { return reason + QStringLiteral("裁剪的片段未能列入历史，已删除。"); }

}  // namespace tavero::FileMessages
