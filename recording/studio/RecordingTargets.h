#pragma once

#include "platform/desktop/ScreenContent.h"

#include <QList>
#include <QRectF>

namespace tavero {

// Which windows a take may record.
namespace RecordingTargets {

// The windows the set-up sheet offers: other programs' ordinary (layer 0)
// windows of at least 160 × 100 points, front to back as `frontToBack` ranks
// their ids; windows it does not rank come last, in the content's order.
// A window's points are its pixels at the scale of the display that holds
// its centre.
QList<WindowInfo> offeredWindows(const ShareableContent& content, const QList<quint32>& frontToBack,
                                 qint64 ownProcess);

// The windows a retake looks for its target among: other programs' ordinary
// (layer 0) windows of any size, in the content's order.
QList<WindowInfo> retakeWindows(const ShareableContent& content, qint64 ownProcess);

// A rectangle of root pixels in global screen points, and back. Each display
// keeps its origin in both and divides its size by its scale; a rectangle
// counts in the display that holds its centre, and outside every display at
// scale 1.
QRectF pointsOf(const QRectF& pixels, const QList<DisplayInfo>& displays);
QRectF pixelsOf(const QRectF& points, const QList<DisplayInfo>& displays);

}  // namespace RecordingTargets
}  // namespace tavero
