#pragma once

#include <QByteArray>
#include <QIODevice>

#include <optional>

namespace tavero::ImageOps {

// The text chunks a PNG may hold beside its picture (tEXt, zTXt, iTXt) and
// that nothing here reads. A compressed text chunk unpacks to up to a
// thousand times its size, and Qt's reader unpacks every one of them, even
// to tell the picture's size; beyond this many stored bytes they go.
inline constexpr qint64 pngTextAllowance = 16 * 1024;

// When `device`, at its start, holds a PNG whose text chunks store more than
// pngTextAllowance bytes together: the whole PNG without its text chunks.
// Otherwise none, and `device` is back where it was. Walks the chunk headers
// only; `device` must allow seeking.
std::optional<QByteArray> pngWithoutExcessText(QIODevice& device);

}  // namespace tavero::ImageOps
