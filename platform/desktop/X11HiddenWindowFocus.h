#pragma once

namespace tavero {

// Keeps the keyboard off the program's windows once they are hidden. A
// window manager gives the keyboard back to the window beneath a sheet as
// the sheet closes, also when that window leaves the screen in the same
// moment (the editor hiding for a take or for an area pick); Qt would then
// make the hidden window active, and screen readers would hear a control no
// one can see. X11's focus events for a window Qt has hidden are dropped.
// Does nothing on another platform. Once, after the application object
// exists; main thread.
void keepKeyboardOffHiddenWindows();

}  // namespace tavero
