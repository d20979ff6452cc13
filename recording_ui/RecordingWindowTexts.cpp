#include "recording_ui/RecordingWindowTexts.h"

#include <cmath>

namespace tavero::RecordingWindowTexts {

using Kind = RecordingPhase::Kind;

QString clock(double seconds) {
    const auto whole = qint64(std::isfinite(seconds) ? std::max(0.0, seconds) : 0.0);
    return QString::asprintf("%02lld:%02lld", whole / 60, whole % 60);
}

QString percent(double fraction) { return QString::asprintf("%lld%%", qint64(std::round(fraction * 100))); }

QString barTitle(const RecordingPhase& phase, bool portraitFullScreen, bool retaking) {
    switch (phase.kind()) {
    case Kind::countdown: return QString::number(phase.secondsLeft()) + QStringLiteral(" 秒后开始录制");
    case Kind::idle: return QStringLiteral("录制已结束");
    case Kind::starting: return QStringLiteral("正在启动录屏…");
    case Kind::recording:
        return portraitFullScreen ? QStringLiteral("正在录制 · 全屏口播") : QStringLiteral("正在录制");
    case Kind::pausing: return QStringLiteral("正在暂停…");
    case Kind::paused: return QStringLiteral("录屏已暂停");
    case Kind::resuming: return QStringLiteral("正在继续…");
    case Kind::stopping: return retaking ? QStringLiteral("正在准备重录…") : QStringLiteral("正在保存原片…");
    case Kind::restarting: return QStringLiteral("即将重新录制…");
    }
    return {};
}

QString barStopTitle(const RecordingPhase& phase) {
    if (phase.hasRecorded()) return QStringLiteral("停止录制");
    if (phase.kind() == Kind::stopping) return QStringLiteral("保存中…");
    return QStringLiteral("取消");
}

QString barDetail(const RecordingPhase& phase, const QString& audioSummary) {
    return phase.kind() == Kind::paused ? QStringLiteral("画面与声音均已暂停") : audioSummary;
}

QString prompterTitle(const RecordingPhase& phase, double elapsed) {
    switch (phase.kind()) {
    case Kind::recording: return QStringLiteral("正在录制 · ") + clock(elapsed);
    case Kind::paused: return QStringLiteral("录屏已暂停");
    case Kind::pausing: return QStringLiteral("暂停中…");
    case Kind::resuming: return QStringLiteral("继续中…");
    case Kind::idle: return QStringLiteral("提词器预览");
    case Kind::stopping: return QStringLiteral("保存中…");
    case Kind::countdown:
    case Kind::starting:
    case Kind::restarting: return QStringLiteral("准备录制…");
    }
    return {};
}

QString prompterStopTitle(const RecordingPhase& phase) {
    if (phase.hasRecorded()) return QStringLiteral("停止录制");
    if (phase.kind() == Kind::idle) return QStringLiteral("关闭预览");
    return QStringLiteral("取消");
}

QString scrollTitle(bool scrolling) { return scrolling ? QStringLiteral("暂停提词") : QStringLiteral("滚动提词"); }

}  // namespace tavero::RecordingWindowTexts
