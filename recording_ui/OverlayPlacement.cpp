#include "recording_ui/OverlayPlacement.h"

namespace tavero::OverlayPlacement {

namespace {

// Half open, so a point on the seam of two screens belongs to one of them.
bool holds(const QRectF& frame, const QPointF& point) {
    return point.x() >= frame.left() && point.x() < frame.right() && point.y() >= frame.top() &&
           point.y() < frame.bottom();
}

}  // namespace

std::optional<qsizetype> screenFor(const QRectF& area, const QList<Screen>& screens, std::optional<qsizetype> main) {
    const QPointF centre = area.center();
    for (qsizetype index = 0; index < screens.size(); ++index)
        if (holds(screens[index].frame, centre)) return index;
    if (main && *main >= 0 && *main < screens.size()) return main;
    if (!screens.isEmpty()) return 0;
    return std::nullopt;
}

QRectF controlPanel(const QRectF& visible) {
    return {visible.center().x() - controlWidth / 2, visible.bottom() - controlLift - controlHeight, controlWidth,
            controlHeight};
}

QRectF prompterPanel(const QRectF& visible) {
    return {visible.center().x() - prompterWidth / 2, visible.top() + prompterDrop, prompterWidth, prompterHeight};
}

QRectF border(const QRectF& area) { return area.adjusted(-borderOutset, -borderOutset, borderOutset, borderOutset); }

}  // namespace tavero::OverlayPlacement
