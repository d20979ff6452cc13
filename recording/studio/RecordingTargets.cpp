#include "recording/studio/RecordingTargets.h"

#include <algorithm>
#include <limits>

namespace tavero::RecordingTargets {

namespace {

constexpr double minimumWidth = 160;
constexpr double minimumHeight = 100;

double scaleOf(const ShareableContent& content, const QRect& frame) {
    for (const DisplayInfo& display : content.displays)
        if (display.pixelFrame.contains(frame.center())) return display.scale > 0 ? display.scale : 1;
    return 1;
}

bool offered(const ShareableContent& content, const WindowInfo& window, qint64 ownProcess) {
    if (window.processID == ownProcess || window.layer != 0) return false;
    const double scale = scaleOf(content, window.frame);
    return window.frame.width() / scale >= minimumWidth && window.frame.height() / scale >= minimumHeight;
}

}  // namespace

QList<WindowInfo> offeredWindows(const ShareableContent& content, const QList<quint32>& frontToBack,
                                 qint64 ownProcess) {
    QList<WindowInfo> windows;
    for (const WindowInfo& window : content.windows)
        if (offered(content, window, ownProcess)) windows.append(window);
    const auto rank = [&](const WindowInfo& window) {
        const qsizetype position = frontToBack.indexOf(window.id);
        return position < 0 ? std::numeric_limits<qsizetype>::max() : position;
    };
    std::stable_sort(windows.begin(), windows.end(),
                     [&](const WindowInfo& a, const WindowInfo& b) { return rank(a) < rank(b); });
    return windows;
}

}  // namespace tavero::RecordingTargets
