#pragma once

#include "platform/files/FileDescriptor.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <optional>

namespace tavero {

enum class LinkRule { follow, refuse };

// Opens `path` for reading only when it is a regular file. The open never
// waits (a FIFO without a writer would block it) and what was opened is
// checked afterwards, so a FIFO, a device such as /dev/zero, a socket or a
// folder is refused under any name. With LinkRule::refuse a link at `path` is
// refused as well. False leaves `file` closed.
bool openRegularFile(QFile& file, const QString& path, LinkRule links = LinkRule::follow);
// The same open as a descriptor of the C library, for readers that take
// one; invalid when refused.
FileDescriptor openRegularDescriptor(const QString& path, LinkRule links = LinkRule::follow);

// The whole of a regular file (as above) of at most `maxBytes`; nothing for
// anything else, a larger file or a failed read.
std::optional<QByteArray> readRegularFile(const QString& path, qint64 maxBytes, LinkRule links = LinkRule::follow);

}  // namespace tavero
