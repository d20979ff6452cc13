#pragma once

namespace tavero {

// Qt Multimedia picks its backend once, on first use: the FFmpeg one plays
// MP4 with H.264 and AAC with no extra plugins, where the GStreamer one
// would need them (and crashes making a player where they are missing).
// Call before the application object exists.
void chooseMediaBackend();

}  // namespace tavero
