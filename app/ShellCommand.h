#pragma once

namespace tavero {

// The commands of the main menu, the status menu and the hot keys; the
// application delegate carries each out. A plain value; main thread.
enum class ShellCommand {
    openEditor,
    openFile,
    home,
    area,
    full,
    windowShot,
    previous,
    scroll,
    addScroll,
    finishScroll,
    cancelCountdown,
    record,
    pauseRecording,
    retake,
    save,
    saveProject,
    copyImage,
    paste,
    undo,
    redo,
    folder,
    quit,
    about,
};

}  // namespace tavero
