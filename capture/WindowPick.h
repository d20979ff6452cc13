#pragma once

#include "platform/desktop/ScreenContent.h"

#include <QPointF>

#include <optional>

namespace tavero {

// Finding windows under a point of the selection overlay. Window frames are
// in root pixels; the overlay answers in its display's points.
namespace WindowPick {

// The root pixel under `point` of `display`'s overlay: the display's origin
// plus the point times the display's scale (X11 is top-left everywhere).
QPointF rootPoint(const DisplayInfo& display, const QPointF& point);

// The window picked by a click at `rootPoint`: among `windows`, those not
// owned by `ownProcess`, containing the point and more than 30 points wide
// and high (at `scale`), the one ranked first by `order` (front to back;
// absent windows rank last; ties go to the earlier in `windows`).
std::optional<WindowInfo> clicked(const QList<WindowInfo>& windows, const QList<quint32>& order,
                                  const QPointF& rootPoint, double scale, qint64 ownProcess);

// The ordinary (layer 0) window under `rootPoint` that a scrolling selection
// lies on, ranked the same way, whatever its size.
std::optional<WindowInfo> scrolled(const QList<WindowInfo>& windows, const QList<quint32>& order,
                                   const QPointF& rootPoint, qint64 ownProcess);

}  // namespace WindowPick
}  // namespace tavero
