#pragma once

#include <QString>

// The sentences image operations fail with, shared by every caller that must
// show or compare them.
namespace tavero::ImageOps::messages {

inline QString tooLarge() { return QStringLiteral("图片过大。请缩小截图区域，或分成两张长图。"); }
inline QString unreadable() { return QStringLiteral("无法读取图片，或图片超过 4000 万像素。"); }
inline QString cannotCreateFile() { return QStringLiteral("无法创建图片文件。"); }
inline QString encodingFailed() { return QStringLiteral("图片编码失败。"); }
inline QString cannotRender() { return QStringLiteral("无法生成图片。"); }

}  // namespace tavero::ImageOps::messages
