#pragma once

#include "document/FrameOptions.h"

#include <QString>

// The status sentences of the actions that work on the rendered picture:
// saving, copying, text recognition, image jobs, backgrounds and pins.
namespace tavero::RenderMessages {

inline QString projectSaved(const QString& fileName) { return QStringLiteral("已保存可编辑工程：") + fileName; }
inline QString copied() { return QStringLiteral("已复制图片，可以直接粘贴。"); }

inline QString recognizing() { return QStringLiteral("正在本机识别文字…"); }
inline QString recognized() { return QStringLiteral("文字识别完成。"); }
inline QString nothingRecognized() { return QStringLiteral("没有识别出文字。"); }
// For a recognition that fails in a way the engine does not describe.
inline QString recognitionFailed() { return QStringLiteral("本机文字识别失败。"); }

inline QString processed() { return QStringLiteral("图片已处理，可撤销。"); }
inline QString processingDropped() { return QStringLiteral("图片已变更，本次处理已取消。"); }

inline QString addingBackground() { return QStringLiteral("正在添加背景…"); }
inline QString backgroundDropped() { return QStringLiteral("图片已变更，请重新选择背景。"); }
inline QString backgroundAdded(FramePreset preset) {
    return QStringLiteral("已添加") + title(preset) + QStringLiteral("背景，可按 Ctrl+Z 撤销；Ctrl+S 保存。");
}

inline QString pinned() { return QStringLiteral("截图已置顶。关闭贴图窗口即可取消。"); }

}  // namespace tavero::RenderMessages
