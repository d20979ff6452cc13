#pragma once

#include <QString>

// The sentences the recording studio and the video exports answer with.
namespace tavero::RecordingMessages {

// A take, or a part writer, is already running.
inline QString alreadyRecording() { return QStringLiteral("已有录屏正在进行。"); }

inline QString renderRunning() { return QStringLiteral("正在生成成片，可先取消生成再开始新录制。"); }

inline QString gifNotCreated() { return QStringLiteral("无法创建 GIF 文件。"); }
inline QString trimImpossible() { return QStringLiteral("该视频无法裁剪。"); }

inline QString noCompleteVideo() { return QStringLiteral("文件中没有完整的视频画面。"); }
inline QString validationTimedOut() { return QStringLiteral("录屏文件校验超时。"); }
// The second line of a failed part: whether a file is left to look at.
inline QString fileKept(const QString& path) { return QStringLiteral("现有文件已保留，尚未确认可以播放：\n") + path; }
inline QString noFileMade() { return QStringLiteral("本次没有生成可播放的录屏文件。"); }

}  // namespace tavero::RecordingMessages
