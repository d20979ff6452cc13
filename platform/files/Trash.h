#pragma once

#include <QString>

namespace tavero {

// Moves the file or folder at `path` into the user's freedesktop Trash, from
// which the file manager can restore it. Returns false, leaving the item
// where it was, when it cannot be moved.
bool moveToTrash(const QString& path);

}  // namespace tavero
