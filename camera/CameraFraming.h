#pragma once

#include "platform/Json.h"

#include <QImage>
#include <QRectF>
#include <QSize>
#include <QSizeF>
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
// only where they are used, so every computation below is pure and may run on
// any thread with its own copy. Unit coordinates are fractions of the
// oriented (mirrored when asked) camera picture with a top-left origin.
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

    // The encoder canvas: the aspect's size, or the custom size clamped to
    // 64…4096 and rounded down to even, whatever the custom fields hold.
    QSize outputSize() const;
    // The sentence that blocks recording: a custom size outside 64…4096.
    std::optional<QString> validationIssue() const;
    // "1920 × 1080".
    QString sizeLabel() const;

    // Switches the aspect and resets the crop; switching to custom first
    // takes the size being left as the custom size.
    void choose(CameraAspect aspect);

    // The crop for a picture of `source` pixels: the output aspect in pixels,
    // always inside the unit square, stopped at an edge the centre is dragged
    // past. The whole picture for an empty source.
    QRectF cropRect(const QSizeF& source) const;

    // Turns a freely drawn unit rectangle into the custom framing whose crop
    // reproduces it, the longer side at 1920 pixels. Selections under 0.04 in
    // either direction, outside the picture or on an empty source change
    // nothing.
    void select(const QRectF& rect, const QSizeF& source);

    // The camera picture as the user sees it: mirrored left to right when asked.
    static QImage oriented(const QImage& frame, bool mirrored);
    // One camera frame cropped and scaled (filling, never stretched) to
    // exactly outputSize(); mirroring happens before the crop, so the crop
    // selects what the mirrored preview shows. A null frame gives a
    // transparent canvas.
    QImage render(const QImage& frame, bool mirrored) const;
    // The same for a frame that is not null, drawn into `canvas` (of
    // outputSize(), four bytes a pixel), which it covers wholly: a take's
    // frames reuse their memory.
    void renderInto(const QImage& frame, bool mirrored, QImage& canvas) const;

    // The framing kept under "recording.cameraFraming"; the default framing
    // when there is none, it does not decode, or it is not valid. Main thread.
    static CameraFraming load();
    // Stores the framing there; an invalid framing, or one JSON cannot hold,
    // is not stored. Main thread.
    void save() const;
};

// Keys in the stored order: "aspect" (its label), "customWidth",
// "customHeight", "centerX", "centerY", "cropScale". Throws NonFiniteNumber
// (camera/FiniteNumber.h) for a NaN or infinite field.
json::Json toJson(const CameraFraming& framing);
// All six keys are required, in any order; an unknown label, a missing key or
// a wrong type throws json::DecodeError.
CameraFraming cameraFramingFromJson(const json::Json& value);

}  // namespace tavero
