#pragma once

#include "platform/ScreenContent.h"

#include <QList>

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

}  // namespace RecordingTargets
}  // namespace tavero
