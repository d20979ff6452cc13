#include "recording_ui/workspace/WorkspaceState.h"

#include "recording/studio/RecordingStudio.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace tavero {

WorkspaceState WorkspaceState::of(const RecordingStudio& studio) {
    return {studio.processing(), studio.progress(), studio.currentProject(), studio.currentRawURL(),
            studio.currentOutputURL()};
}

bool WorkspaceState::portraitBaked() const { return project && project->portraitBaked.value_or(false); }

bool WorkspaceState::versionRowVisible(const QString& url) const {
    return project && (rawURL == url || outputURL == url);
}

QString WorkspaceState::versionText(const QString& url) const {
    if (portraitBaked()) return QStringLiteral("人像成片");
    if (rawURL == url) return QStringLiteral("原始录屏");
    return QStringLiteral("讲解成片");
}

std::optional<QString> WorkspaceState::rawToOffer(const QString& url) const {
    return rawURL != url ? rawURL : std::nullopt;
}

std::optional<QString> WorkspaceState::finishedToOffer(const QString& url) const {
    return outputURL != url ? outputURL : std::nullopt;
}

QString WorkspaceState::footer() const {
    if (!project) return QStringLiteral("录屏以 MP4 保存；GIF 适合 30 秒以内的片段。");
    if (portraitBaked()) return QStringLiteral("人像和画面效果已保存在视频中，可直接裁剪或导出。");
    return QStringLiteral("原片保留；录制画面保持清晰；鼠标带动缩放，只有外侧背景柔焦。");
}

double WorkspaceState::progressFraction() const { return std::isfinite(progress) ? std::clamp(progress, 0.0, 1.0) : 0.0; }

int WorkspaceState::progressPercent() const { return int(progressFraction() * 100); }

QString WorkspaceState::progressText() const {
    return QStringLiteral("正在生成讲解成片 · ") + QString::number(progressPercent()) + QStringLiteral("% · 原片已保存");
}

std::optional<double> trimSeconds(const QString& text) {
    QByteArray bytes = text.toUtf8();
    // from_chars takes a minus sign but no plus.
    const bool plus = bytes.startsWith('+');
    if (plus) bytes.remove(0, 1);
    if (bytes.isEmpty() || (plus && bytes.startsWith('-'))) return std::nullopt;
    double value = 0;
    const char* end = bytes.constData() + bytes.size();
    const auto [stop, error] = std::from_chars(bytes.constData(), end, value);
    if (error != std::errc() || stop != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

}  // namespace tavero
