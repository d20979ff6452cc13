#include "recording/RecordingSession.h"

namespace tavero {

bool RecordingSession::isActive() const { return false; }

}  // namespace tavero
