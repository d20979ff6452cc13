#pragma once

#include <QString>

namespace tavero {

// Asks the user's file manager to show the file at `path`, selected in its
// folder (the freedesktop FileManager1 "ShowItems" call on the session bus).
// Where no file manager answers that call, the file's folder is opened
// instead. Returns at once; main thread.
void showInFileManager(const QString& path);

}  // namespace tavero
