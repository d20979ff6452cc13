#pragma once

#include <QString>

#include <optional>

namespace tavero {

// Renames the file or folder `from` to `to` on the same volume. Never copies
// (a move across volumes fails instead of leaving a half-written copy) and
// never replaces an existing item at `to`. Returns false when nothing moved.
bool renameInPlace(const QString& from, const QString& to);

// Keeps the item at `path` under the first free name of `base`, `base-2`,
// `base-3`…, beside it: as a second name of the same file where the file
// system allows one (so `path` can then be replaced), otherwise by moving the
// item itself. Never reads the item and never follows a link at `path`.
// Returns the name used, or nothing when the item could not be kept.
std::optional<QString> keepAside(const QString& path, const QString& base);

}  // namespace tavero
