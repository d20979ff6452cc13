#pragma once

#include <QByteArray>
#include <QString>

namespace tavero {

// Writes `bytes` to `path` through a temporary file that replaces the target
// only when every byte is on disk, so a reader never sees half a file.
// Returns false (and leaves any earlier file untouched) when the write fails.
bool writeFileAtomically(const QString& path, const QByteArray& bytes);

}  // namespace tavero
