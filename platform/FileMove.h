#pragma once

#include <QString>

namespace tavero {

// Renames the file or folder `from` to `to` on the same volume. Never copies
// (a move across volumes fails instead of leaving a half-written copy) and
// never replaces an existing item at `to`. Returns false when nothing moved.
bool renameInPlace(const QString& from, const QString& to);

}  // namespace tavero
