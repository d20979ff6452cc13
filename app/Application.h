#pragma once

#include "app/AppDelegate.h"

namespace tavero {

class ShortSounds;

// What the program's delegate is made of on this machine: the X11 screen,
// pointer and hot keys, the short sounds played through `sounds`, and the
// recording's floating windows.
AppDelegateSetup programSetup(ShortSounds& sounds);

// The program with its window: sets up the application (names, language,
// light look, fonts), hands its files to an instance already running on
// this display and ends, or else launches the application delegate and runs
// the event loop until a quit passes the delegate's gate. Returns the exit
// status; main thread.
int runApplication(int argc, char** argv);

}  // namespace tavero
