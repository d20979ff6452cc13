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

// `rect` seen from `origin`, its offset and size multiplied by `factor`.
QRectF scaledFrom(const QPointF& origin, const QRectF& rect, double factor) {
    return {origin + (rect.topLeft() - origin) * factor, rect.size() * factor};
}

double validScale(const DisplayInfo& display) { return display.scale > 0 ? display.scale : 1; }

}  // namespace

QRectF pointsOf(const QRectF& pixels, const QList<DisplayInfo>& displays) {
    for (const DisplayInfo& display : displays)
        if (QRectF(display.pixelFrame).contains(pixels.center()))
            return scaledFrom(display.pixelFrame.topLeft(), pixels, 1 / validScale(display));
    return pixels;
}

QRectF pixelsOf(const QRectF& points, const QList<DisplayInfo>& displays) {
    for (const DisplayInfo& display : displays)
        if (display.pointFrame().contains(points.center()))
            return scaledFrom(display.pixelFrame.topLeft(), points, validScale(display));
    return points;
}

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

QList<WindowInfo> retakeWindows(const ShareableContent& content, qint64 ownProcess) {
    QList<WindowInfo> windows;
    for (const WindowInfo& window : content.windows)
        if (window.processID != ownProcess && window.layer == 0) windows.append(window);
    return windows;
}

}  // namespace tavero::RecordingTargets
