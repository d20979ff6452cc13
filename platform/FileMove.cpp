#include "platform/FileMove.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>

namespace tavero {

bool renameInPlace(const QString& from, const QString& to) {
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0) return true;
    // Some file systems do not know the no-replace flag: check, then rename.
    if (errno != EINVAL && errno != ENOSYS) return false;
    if (QFileInfo(to).exists() || QFileInfo(to).isSymLink()) return false;
    return std::rename(source.constData(), target.constData()) == 0;
}

}  // namespace tavero
