#pragma once

namespace tavero {

// Qt Multimedia picks its backend once, on first use; it plays the short
// sounds (ShortSounds). The FFmpeg one needs no extra plugins, where the
// GStreamer one would (and crashes making a player where they are missing).
// Videos are played by our own MoviePlayback, not by Qt Multimedia. Call
// before the application object exists.
void chooseMediaBackend();

}  // namespace tavero
