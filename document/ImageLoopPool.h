#pragma once

#include <chrono>

namespace tavero {

// OpenCV splits its filters over threads of its own (TBB's), which never end
// once started: a blur in a render left seven of them idle in the tray for
// the program's life. Installed, OpenCV's loops run on a thread pool of the
// program's own whose threads end after `idleLimit` without work; the
// calling thread works along, so a loop never waits for a free thread.
// Call once, before any image work and before other threads start.
void runImageLoopsOnOwnPool(std::chrono::milliseconds idleLimit = std::chrono::seconds(30));

}  // namespace tavero
