#include "platform/files/FileIdentity.h"

#include "platform/files/FileNames.h"

#include <sys/stat.h>

namespace tavero {

namespace {

qint64 nanoseconds(const timespec& time) { return qint64(time.tv_sec) * 1'000'000'000 + time.tv_nsec; }

FileIdentity identityFrom(const struct stat& info) {
    return {quint64(info.st_dev), quint64(info.st_ino), qint64(info.st_size), nanoseconds(info.st_mtim),
            nanoseconds(info.st_ctim)};
}

}  // namespace

std::optional<FileIdentity> identityAt(const QString& path) {
    struct stat info {};
    if (::lstat(nativeFileName(path).constData(), &info) != 0) return std::nullopt;
    return identityFrom(info);
}

std::optional<FileIdentity> identityOf(int descriptor) {
    struct stat info {};
    if (::fstat(descriptor, &info) != 0) return std::nullopt;
    return identityFrom(info);
}

}  // namespace tavero
