#pragma once

#include <QColor>

namespace tavero {

// The accent of the recording interface: the tint of the recording set-up
// and its effect lines, a teal green. Not the start screen's recording card,
// which uses TaveroStyle::recordingAccent. Made once on first use; any thread.
const QColor& recordingAccent();

}  // namespace tavero
