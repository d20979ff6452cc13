#include "platform/files/RegularFile.h"

#include "platform/files/FileDescriptor.h"
#include "platform/files/FileNames.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavero {

namespace {

// The open descriptor and its size, or an invalid descriptor.
FileDescriptor openRegular(const QString& path, LinkRule links, qint64& size) {
    const int noFollow = links == LinkRule::refuse ? O_NOFOLLOW : 0;
    FileDescriptor file(::open(nativeFileName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | noFollow));
    if (!file.valid()) return {};
    struct stat info {};
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return {};
    // Reads of a regular file do not depend on it; clearing it keeps the
    // descriptor ordinary for whoever reads next.
    const int flags = ::fcntl(file.get(), F_GETFL);
    if (flags < 0 || ::fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) return {};
    size = info.st_size;
    return file;
}

}  // namespace

FileDescriptor openRegularDescriptor(const QString& path, LinkRule links) {
    qint64 size = 0;
    return openRegular(path, links, size);
}

bool openRegularFile(QFile& file, const QString& path, LinkRule links) {
    qint64 size = 0;
    FileDescriptor descriptor = openRegular(path, links, size);
    if (!descriptor.valid() || !file.open(descriptor.get(), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return false;
    descriptor.release();
    return true;
}

std::optional<QByteArray> readRegularFile(const QString& path, qint64 maxBytes, LinkRule links) {
    qint64 size = 0;
    const FileDescriptor file = openRegular(path, links, size);
    if (!file.valid() || size > maxBytes) return std::nullopt;
    QByteArray bytes;
    bytes.reserve(qsizetype(size));
    // Read to the end rather than to the size seen: the file may change
    // meanwhile, and the cap holds either way.
    char chunk[1 << 16];
    for (;;) {
        const ssize_t read = ::read(file.get(), chunk, sizeof chunk);
        if (read < 0 && errno == EINTR) continue;
        if (read < 0 || bytes.size() + read > maxBytes) return std::nullopt;
        if (read == 0) return bytes;
        bytes.append(chunk, qsizetype(read));
    }
}

}  // namespace tavero
