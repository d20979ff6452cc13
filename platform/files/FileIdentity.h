#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace tavero {

// What tells one content of a file from another without reading it: the
// file itself (its device and inode), its size, and the times of the last
// change of its content and of anything about it, to the nanosecond. A file
// written in any way, in place or replaced under its name, has another one.
struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;

    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// What stands at `path` (a link itself, not what it names); nothing when
// nothing does. Any thread.
std::optional<FileIdentity> identityAt(const QString& path);
// The file open as the C library's `descriptor`.
std::optional<FileIdentity> identityOf(int descriptor);

}  // namespace tavero
