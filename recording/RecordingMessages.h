#pragma once

#include <QString>

// The sentences the recording studio and the video exports answer with.
namespace tavero::RecordingMessages {

inline QString renderRunning() { return QStringLiteral("正在生成成片，可先取消生成再开始新录制。"); }

inline QString gifNotCreated() { return QStringLiteral("无法创建 GIF 文件。"); }
inline QString trimImpossible() { return QStringLiteral("该视频无法裁剪。"); }

}  // namespace tavero::RecordingMessages
