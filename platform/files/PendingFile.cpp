#include "platform/files/PendingFile.h"

#include "platform/files/FileNames.h"

#include <QFileInfo>
#include <QDir>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace tavero {

namespace {

QString temporaryName(const QFileInfo& destination) {
    const QString token = QString::number(QRandomGenerator::global()->generate64(), 36);
    QString name = QStringLiteral(".") + destination.completeBaseName() + QStringLiteral("-") + token
                   + QStringLiteral(".partial");
    if (!destination.suffix().isEmpty()) name += QStringLiteral(".") + destination.suffix();
    return destination.dir().filePath(name);
}

bool syncPath(const QByteArray& path, int flags) {
    const int descriptor = ::open(path.constData(), flags | O_CLOEXEC);
    if (descriptor < 0) return false;
    const bool synced = ::fsync(descriptor) == 0;
    ::close(descriptor);
    return synced;
}

PublishResult linkThenUnlink(const QByteArray& from, const QByteArray& to) {
    if (::link(from.constData(), to.constData()) != 0)
        return errno == EEXIST ? PublishResult::DestinationExists : PublishResult::Failed;
    ::unlink(from.constData());
    return PublishResult::Published;
}

}  // namespace

std::optional<PendingFile> PendingFile::reserve(const QString& destination) {
    const QFileInfo target(destination);
    for (int attempt = 0; attempt < 8; ++attempt) {
        const QString temporary = temporaryName(target);
        const int descriptor =
            ::open(nativeFileName(temporary).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor >= 0) {
            ::close(descriptor);
            return PendingFile(target.absoluteFilePath(), temporary);
        }
        if (errno != EEXIST) return std::nullopt;
    }
    return std::nullopt;
}

PendingFile::PendingFile(QString destination, QString temporary)
    : destination_(std::move(destination)), temporary_(std::move(temporary)) {}

PendingFile::PendingFile(PendingFile&& other) noexcept
    : destination_(std::move(other.destination_)), temporary_(std::exchange(other.temporary_, QString())) {}

PendingFile::~PendingFile() {
    if (!temporary_.isEmpty()) ::unlink(nativeFileName(temporary_).constData());
}

PublishResult PendingFile::publish() {
    if (temporary_.isEmpty()) return PublishResult::Failed;
    const QByteArray from = nativeFileName(temporary_);
    const QByteArray to = nativeFileName(destination_);
    if (!syncPath(from, O_RDONLY)) return PublishResult::Failed;
    PublishResult result = PublishResult::Published;
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) != 0) {
        if (errno == EEXIST) return PublishResult::DestinationExists;
        if (errno != EINVAL && errno != ENOSYS) return PublishResult::Failed;
        result = linkThenUnlink(from, to);
        if (result != PublishResult::Published) return result;
    }
    temporary_.clear();
    // The new name itself lives in the folder: make it survive a power cut too.
    syncPath(nativeFileName(QFileInfo(destination_).path()), O_RDONLY | O_DIRECTORY);
    return result;
}

}  // namespace tavero
