#pragma once

#include "tests/support/TempDir.h"

#include <QByteArray>
#include <QString>

#include <sys/resource.h>

#include <csignal>

namespace tavero::test {

// Every write of this process into a file fails past `bytes`, as on a disk
// that fills up there: the write crossing it is cut short and the next one
// fails (EFBIG, not a full disk's ENOSPC). Restored when destroyed.
class FileSizeLimit {
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*savedHandler_)(int) = nullptr;
};

// A file system of `bytes` (tmpfs) mounted on a new folder, or on `folder`
// when given, in a mount namespace of this test process's own, so nothing
// else sees it and it goes with the process. Needs the right to mount (root);
// without it mounted() is false, and the test says
// TAVERO_SKIP_UNLESS_REQUIRED (tests/support/SkipUnlessRequired.h). A tmpfs
// takes memory only for what is written, so a roomy one costs nothing.
class SmallDisk {
public:
    explicit SmallDisk(qint64 bytes, const QString& folder = QString());
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return mounted_; }
    QString path() const { return path_; }
    // Mounts the disk again read-only, as a folder nobody may write, root
    // included; false when that fails.
    bool makeReadOnly();
    // Fills the disk to its last page with a file named "filler", then frees
    // `room` bytes of it again (whole pages); false when that fails.
    bool fill(qint64 room = 0);

private:
    TempDir own_;
    QString path_;
    bool mounted_ = false;
};

// A digest of every entry under `folder`, hidden ones included: names, the
// bytes of files and where links point. Equal digests mean nothing was
// added, removed or changed.
QByteArray folderDigest(const QString& folder);

}  // namespace tavero::test
