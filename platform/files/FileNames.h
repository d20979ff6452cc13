#pragma once

#include <QByteArray>
#include <QString>

namespace tavero {

// File names as the system stores them, bytes that need not be UTF-8, held
// in a QString without loss. Qt decodes such bytes into U+FFFD and can then
// open nothing by that name. Here each byte that is not part of valid UTF-8
// becomes one of the code points U+DC80…U+DCFF, which no valid UTF-8 decodes
// to, and turns back into the same byte.
QString fileNameFromNative(const QByteArray& bytes);
QByteArray nativeFileName(const QString& name);

// `name` as an absolute, cleaned path, relative names taken from the
// working folder (read without loss as well).
QString absoluteFileName(const QString& name);

}  // namespace tavero
