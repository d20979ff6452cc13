#include "platform/files/AtomicFile.h"

#include "platform/ShotError.h"
#include "platform/files/FileDescriptor.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavero {

namespace {

using Outcome = FileWrite::Outcome;

Outcome failure(int error) { return error == ENOSPC || error == EDQUOT ? Outcome::noSpace : Outcome::failed; }

// The permissions of the file being replaced, so a rewrite keeps them; a new
// file gets what the umask allows.
std::optional<mode_t> keptMode(int folder, const QByteArray& name) {
    struct stat info {};
    if (::fstatat(folder, name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return info.st_mode & 07777;
}

// A new hidden file beside the target: a write cut short by a crash leaves
// nothing the folder shows as one of its files.
FileDescriptor createTemporary(int folder, const QByteArray& name, QByteArray& temporary) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = '.' + name + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".tmp";
        FileDescriptor file(::openat(folder, temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (file.valid() || errno != EEXIST) return file;
    }
    return {};
}

// Every byte or false, with errno telling why: a short write is followed by
// the call that reports the full disk.
bool writeAll(int file, const QByteArray& bytes) {
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(file, data, size_t(left));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            if (written == 0) errno = EIO;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

}  // namespace

QString FileWrite::sentence(const QString& otherwise) const {
    return outcome_ == Outcome::noSpace ? diskFullSentence() : otherwise;
}

void FileWrite::orThrow(const QString& otherwise) const {
    if (!*this) throw ShotError(sentence(otherwise));
}

FileWrite writeFileAtomically(const QString& path, const QByteArray& bytes) {
    const QFileInfo info(path);
    const QByteArray name = QFile::encodeName(info.fileName());
    if (name.isEmpty()) return Outcome::failed;
    const FileDescriptor folder(::open(QFile::encodeName(info.path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid()) return failure(errno);
    QByteArray temporary;
    FileDescriptor file = createTemporary(folder.get(), name, temporary);
    if (!file.valid()) return failure(errno);
    const std::optional<mode_t> mode = keptMode(folder.get(), name);
    // Only a flushed file replaces the target: a buffered write can seem to
    // succeed on a full disk and fail later, unseen.
    const bool complete = (!mode || ::fchmod(file.get(), *mode) == 0) && writeAll(file.get(), bytes) &&
                          ::fsync(file.get()) == 0 && file.close();
    // The rename replaces a link at the target itself, never what it names.
    if (!complete || ::renameat(folder.get(), temporary.constData(), folder.get(), name.constData()) != 0) {
        const int error = errno;
        ::unlinkat(folder.get(), temporary.constData(), 0);
        return failure(error);
    }
    // The new name reaches the disk with its folder.
    ::fsync(folder.get());
    return Outcome::written;
}

}  // namespace tavero
