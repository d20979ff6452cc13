#pragma once

#include "platform/Json.h"

#include <QString>

#include <array>
#include <optional>

namespace tavero {

// The output aspect of a camera-only recording, in the order of its buttons.
enum class CameraAspect { portrait34, portrait916, landscape169, landscape43, square, custom };

inline constexpr std::array<CameraAspect, 6> allCameraAspects{
    CameraAspect::portrait34,  CameraAspect::portrait916, CameraAspect::landscape169,
    CameraAspect::landscape43, CameraAspect::square,      CameraAspect::custom,
};

// The stored value, which is also the button's label ("横版 16:9", …).
QString rawValue(CameraAspect aspect);
// Exactly one of the six labels; any other text is no aspect.
std::optional<CameraAspect> cameraAspectFromRaw(const QString& raw);

// Which part of the camera picture a camera-only recording keeps, and at
// which size. A plain value: fields hold what was assigned and are corrected
// only where they are used. Unit coordinates have a top-left origin.
struct CameraFraming {
    CameraAspect aspect = CameraAspect::landscape169;
    // The requested output size, used only by the custom aspect.
    qint64 customWidth = 1080;
    qint64 customHeight = 1440;
    // The crop centre in unit coordinates of the oriented camera picture.
    double centerX = 0.5;
    double centerY = 0.5;
    // The crop's size as a fraction of the largest rectangle of the aspect
    // that fits the picture; meaningful from 0.1 to 1.
    double cropScale = 1;

    friend bool operator==(const CameraFraming&, const CameraFraming&) = default;
};

// Keys in the stored order: "aspect" (its label), "customWidth",
// "customHeight", "centerX", "centerY", "cropScale". Throws NonFiniteNumber
// (camera/FiniteNumber.h) for a NaN or infinite field.
json::Json toJson(const CameraFraming& framing);
// All six keys are required, in any order; an unknown label, a missing key or
// a wrong type throws json::DecodeError.
CameraFraming cameraFramingFromJson(const json::Json& value);

}  // namespace tavero
