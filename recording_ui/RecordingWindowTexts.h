#pragma once

#include "recording/RecordingPhase.h"

#include <QString>

// The sentences of the recording windows (control bar and teleprompter)
// that follow the phase of the take.
namespace tavero::RecordingWindowTexts {

// Whole seconds as minutes and seconds, "%02d:%02d"; minutes go on past an
// hour (3725 s are "62:05").
QString clock(double seconds);
// A fraction 0…1 as a rounded percentage, "65%".
QString percent(double fraction);

// The control bar's title.
QString barTitle(const RecordingPhase& phase, bool portraitFullScreen, bool retaking);
// The control bar's stop button.
QString barStopTitle(const RecordingPhase& phase);
// The line under the control bar's title.
QString barDetail(const RecordingPhase& phase, const QString& audioSummary);

// The teleprompter's header.
QString prompterTitle(const RecordingPhase& phase, double elapsed);
// The teleprompter's right-hand button.
QString prompterStopTitle(const RecordingPhase& phase);
// The teleprompter's scroll button.
QString scrollTitle(bool scrolling);

}  // namespace tavero::RecordingWindowTexts
