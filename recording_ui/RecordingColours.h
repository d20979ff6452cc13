#pragma once

#include <QColor>

// The fixed colours of the recording windows, as the design names them.
namespace tavero::RecordingColours {

// The red of a running take: the status dot and the border.
inline QColor red() { return QColor::fromRgbF(1.0f, 0.231f, 0.188f); }
// The dot in every other phase.
inline QColor orange() { return QColor::fromRgbF(1.0f, 0.584f, 0.0f); }
// The border of a paused take.
inline QColor yellow() { return QColor::fromRgbF(1.0f, 0.8f, 0.0f); }
// The control bar's face.
inline QColor barFace() { return QColor::fromRgbF(0.09f, 0.11f, 0.13f); }
// The teleprompter's face, before its transparency.
inline QColor prompterFace() { return QColor::fromRgbF(0.055f, 0.055f, 0.055f); }

}  // namespace tavero::RecordingColours
