#pragma once

#include "platform/Json.h"

namespace tavero {

// The ranges the effect controls offer; a sidecar's values are read within them.
namespace effectRanges {
inline constexpr double minZoom = 1.15;
inline constexpr double maxZoom = 2.2;
inline constexpr double minPadding = 0.03;
inline constexpr double maxPadding = 0.14;
inline constexpr double minBlur = 12;
inline constexpr double maxBlur = 48;
}  // namespace effectRanges

// The settings of the smart-camera look. The renderer clamps them again
// where it uses them (zoom 1…2.5, padding 0.03…0.14, blur 12…48).
struct RecordingEffects {
    // The camera zooms in on pointer activity.
    bool autoZoom = true;
    // The picture sits inset on a blurred backdrop with a rounded frame.
    bool backgroundBlur = true;
    // The greatest zoom factor of the auto zoom.
    double zoom = 1.65;
    // The frame border as a fraction of the shorter picture side.
    double padding = 0.06;
    // The backdrop's blur radius at 1920 pixels of output width.
    double blur = 24;

    // Without either effect there is no smart-camera cut to render.
    bool enabled() const { return autoZoom || backgroundBlur; }

    // Zoom, padding and blur brought within effectRanges; a NaN takes the
    // default.
    RecordingEffects withinRanges() const;

    friend bool operator==(const RecordingEffects&, const RecordingEffects&) = default;
};

// Keys in the stored order: "autoZoom", "backgroundBlur", "zoom", "padding",
// "blur"; throws NonFiniteNumber for a NaN or infinite field.
json::Json toJson(const RecordingEffects& effects);
// Every key may be missing or null and then takes its default; older files
// name the backdrop switch "focusBlur", read only when "backgroundBlur" is
// absent. A present value of the wrong type throws json::DecodeError. Zoom,
// padding and blur are read within effectRanges, so a file from elsewhere
// shows nothing the controls could not set.
RecordingEffects recordingEffectsFromJson(const json::Json& value);

}  // namespace tavero
