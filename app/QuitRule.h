#pragma once

#include "recording/RecordingPhase.h"

#include <QString>

namespace tavero {

// What a request to quit does, by the first rule that matches: a running
// scrolling screenshot is finished, a recording in any phase but idle is
// stopped, a running render is cancelled; only otherwise does the program
// quit. Every way to quit (menus, Ctrl+Q, the session manager) asks here.
enum class QuitRule { finishScroll, stopRecording, cancelRender, terminate };

constexpr QuitRule quitRule(bool scrolling, const RecordingPhase& phase, bool rendering) {
    if (scrolling) return QuitRule::finishScroll;
    if (phase.occupied()) return QuitRule::stopRecording;
    if (rendering) return QuitRule::cancelRender;
    return QuitRule::terminate;
}

namespace QuitMessages {

inline QString stoppingRecording() { return QStringLiteral("正在结束录屏，完成后可以退出。"); }
inline QString cancellingRender() { return QStringLiteral("正在取消成片生成，原片已保留；稍后可以退出。"); }

}  // namespace QuitMessages
}  // namespace tavero
