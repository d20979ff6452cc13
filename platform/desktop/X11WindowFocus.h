#pragma once

namespace tavero {

// Keeps the keyboard off the program's windows that cannot take it: those
// hidden, and those a shown sheet stands over.
//
// A window manager gives the keyboard back to the window beneath a sheet as
// the sheet closes, also when that window leaves the screen in the same
// moment (the editor hiding for a take or for an area pick); Qt would then
// make the hidden window active, and screen readers would hear a control no
// one can see. X11's focus events for a window Qt has hidden are dropped.
//
// A window manager may also focus a window as it comes back under its open
// sheet before it focuses the sheet (the editor shown again after the area
// picker); Qt means to pass such a focus on to the sheet but, for a
// window-modal one, makes the window beneath active for a moment, and screen
// readers name its control. The focus goes to the sheet instead.
//
// Does nothing on another platform. Once, after the application object
// exists; main thread.
void keepKeyboardOffHiddenAndBlockedWindows();

}  // namespace tavero
