#pragma once

#include "platform/camera/CameraModes.h"

#include <QString>

namespace tavero {

// What the video capture device at `node` ("/dev/video0") offers in the
// codings we read, as its driver lists them: every coding, its sizes and the
// rates at each. The rates of a range of sizes are asked for at the size a
// choice weighs (consideredSize). Empty when the node cannot be opened or
// is no capture device. Blocks briefly; any thread.
CameraOffers readCameraOffers(const QString& node);

}  // namespace tavero
