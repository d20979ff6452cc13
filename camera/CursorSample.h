#pragma once

#include "platform/Json.h"

namespace tavero {

// One observation of the pointer while recording, taken 30 times a second.
// Positions are fractions of the video frame from its top-left corner and
// may lie outside 0…1 when the pointer is outside the recorded target.
struct CursorSample {
    // Seconds since the start of the recording.
    double time = 0;
    double x = 0;
    double y = 0;
    // The pointer was inside the recorded target.
    bool inside = false;
    // A button went down since the previous sample (the press, not the hold).
    bool clicked = false;

    friend bool operator==(const CursorSample&, const CursorSample&) = default;
};

// Keys in the stored order: "time", "x", "y", "inside", "clicked"; throws
// NonFiniteNumber for a NaN or infinite field.
json::Json toJson(const CursorSample& sample);
// All five keys are required; throws json::DecodeError.
CursorSample cursorSampleFromJson(const json::Json& value);

}  // namespace tavero
