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

// The parts of a path, taken apart by hand: QFileInfo mistakes them in a
// name longer than 32,767 characters, which a command line can hold.
// The part after the last "/".
QString fileNameOf(const QString& path);
// The text after the last "." of that part, as written; empty without one.
QString suffixOf(const QString& path);

// A file name as a sentence shows it: whole up to shownNameLength
// characters; a longer one keeps its start and its end, where its kind is
// written, with "…" between. A character of two code units stays whole.
inline constexpr qsizetype shownNameLength = 64;
QString shownFileName(const QString& name);

}  // namespace tavero
