#include "capture/WindowPick.h"

#include <functional>
#include <limits>

namespace tavero::WindowPick {

namespace {

constexpr double minimumSide = 30;

bool ownedBy(const WindowInfo& window, qint64 process) {
    return window.processID && *window.processID == process;
}

std::optional<WindowInfo> frontmost(const QList<WindowInfo>& windows, const QList<quint32>& order,
                                    const std::function<bool(const WindowInfo&)>& isCandidate) {
    std::optional<WindowInfo> chosen;
    qsizetype chosenRank = std::numeric_limits<qsizetype>::max();
    for (const WindowInfo& window : windows) {
        if (!isCandidate(window)) continue;
        qsizetype rank = order.indexOf(window.id);
        if (rank < 0) rank = std::numeric_limits<qsizetype>::max() - 1;
        if (!chosen || rank < chosenRank) {
            chosen = window;
            chosenRank = rank;
        }
    }
    return chosen;
}

}  // namespace

QPointF rootPoint(const DisplayInfo& display, const QPointF& point) {
    return QPointF(display.pixelFrame.topLeft()) + point * display.scale;
}

std::optional<WindowInfo> clicked(const QList<WindowInfo>& windows, const QList<quint32>& order,
                                  const QPointF& rootPoint, double scale, qint64 ownProcess) {
    const double pixelsPerPoint = scale > 0 ? scale : 1;
    return frontmost(windows, order, [&](const WindowInfo& window) {
        return !ownedBy(window, ownProcess) && QRectF(window.frame).contains(rootPoint) &&
               window.frame.width() / pixelsPerPoint > minimumSide &&
               window.frame.height() / pixelsPerPoint > minimumSide;
    });
}

std::optional<WindowInfo> scrolled(const QList<WindowInfo>& windows, const QList<quint32>& order,
                                   const QPointF& rootPoint, qint64 ownProcess) {
    return frontmost(windows, order, [&](const WindowInfo& window) {
        return window.layer == 0 && !ownedBy(window, ownProcess) && QRectF(window.frame).contains(rootPoint);
    });
}

}  // namespace tavero::WindowPick
