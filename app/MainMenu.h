#pragma once

#include "app/ShellCommand.h"

#include <functional>

class QMainWindow;

namespace tavero {

// Builds the main menu into the menu bar of `window`, once: "岚帧" (about,
// hide, quit), "文件" (screenshots, opening, recording, saving, closing the
// window) and "编辑" (undo, redo, cut, copy, paste, select all). Items carry
// their shortcuts and call `perform`; "隐藏岚帧" calls `hide`, "关闭窗口"
// closes `window`, and cut and select all go to the focused text field,
// enabled only while it can take them. Main thread.
struct MainMenuTargets {
    std::function<void(ShellCommand)> perform;
    std::function<void()> hide;
};

void buildMainMenu(QMainWindow& window, const MainMenuTargets& targets);

}  // namespace tavero
