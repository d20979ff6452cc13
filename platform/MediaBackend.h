#pragma once

namespace tavero {

// Qt Multimedia picks its backend once, on first use: the FFmpeg one plays
// MP4 with H.264 and AAC with no extra plugins, where the GStreamer one
// would need them (and crashes making a player where they are missing).
// On a display without direct rendering (a virtual machine, Xvfb, VNC),
// OpenGL is Mesa's software renderer: the player's picture is then painted
// without it, which costs less CPU per picture (0.47 against 0.76 core for
// 1080p here) and leaves no renderer behind, where Mesa keeps its
// seventeen threads and some 60 MB for the rest of the program's life once
// a video has been shown. Call before the application object exists.
void chooseMediaBackend();

}  // namespace tavero
