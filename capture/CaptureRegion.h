#pragma once

#include "platform/Json.h"

#include <QRectF>
#include <QSettings>

#include <optional>

namespace tavero {

// An area of one display: the display's id and a rectangle in that display's
// points, top-left origin. Shared by still capture (the previous area),
// scrolling capture and the recording studio.
struct CaptureRegion {
    quint32 displayID = 0;
    QRectF rect;

    friend bool operator==(const CaptureRegion&, const CaptureRegion&) = default;
};

// {"displayID": n, "rect": [[x, y], [width, height]]}
json::Json toJson(const CaptureRegion& region);
// Throws json::DecodeError for anything else.
CaptureRegion captureRegionFromJson(const json::Json& value);

// The "lastRegion" user default: JSON bytes of the optional region ("null"
// when there is none). Unreadable or corrupt data reads as none.
std::optional<CaptureRegion> readLastRegion(QSettings& settings);
void storeLastRegion(QSettings& settings, const std::optional<CaptureRegion>& region);

}  // namespace tavero
