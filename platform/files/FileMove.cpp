#include "platform/files/FileMove.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace tavero {

bool renameInPlace(const QString& from, const QString& to) {
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0) return true;
    // Some file systems do not know the no-replace flag: check, then rename.
    if (errno != EINVAL && errno != ENOSYS) return false;
    if (QFileInfo(to).exists() || QFileInfo(to).isSymLink()) {
        errno = EEXIST;
        return false;
    }
    return std::rename(source.constData(), target.constData()) == 0;
}

std::optional<QString> keepAside(const QString& path, const QString& base) {
    const QByteArray source = QFile::encodeName(path);
    for (int n = 1; n < 1000; ++n) {
        const QString candidate = n == 1 ? base : base + QLatin1Char('-') + QString::number(n);
        const QByteArray target = QFile::encodeName(candidate);
        // Without AT_SYMLINK_FOLLOW a link gets a second name itself.
        if (::linkat(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), 0) == 0) return candidate;
        if (errno == EEXIST) continue;
        if (renameInPlace(path, candidate)) return candidate;
        if (errno != EEXIST) return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace tavero
