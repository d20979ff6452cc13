#include "tests/support/Disks.h"

#include "tests/support/Files.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

#include <sched.h>
#include <sys/mount.h>

namespace tavero::test {

namespace {

// Made before main, while the process has a single thread, so every thread
// it starts later shares the namespace and sees the small disks. Mounts made
// in it stay out of the machine's own table.
const bool ownMounts = [] {
    if (::unshare(CLONE_NEWNS) != 0) return false;
    return ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}();

}  // namespace

FileSizeLimit::FileSizeLimit(qint64 bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    savedHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = rlim_t(bytes);
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, savedHandler_);
}

SmallDisk::SmallDisk(qint64 bytes, const QString& folder) : path_(folder.isEmpty() ? own_.path() : folder) {
    QDir().mkpath(path_);
    const QByteArray options = "size=" + QByteArray::number(bytes);
    mounted_ = ownMounts && ::mount("tavero-test", QFile::encodeName(path_).constData(), "tmpfs", 0, options.constData()) == 0;
}

bool SmallDisk::makeReadOnly() {
    return mounted_ &&
           ::mount(nullptr, QFile::encodeName(path_).constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

bool SmallDisk::fill(qint64 room) {
    QFile filler(path_ + QStringLiteral("/filler"));
    if (!mounted_ || !filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return false;
    const QByteArray page(4096, 'x');
    while (filler.write(page) == page.size()) {
    }
    return filler.resize(std::max<qint64>(filler.size() - room, 0));
}

SmallDisk::~SmallDisk() {
    if (mounted_) ::umount2(QFile::encodeName(path_).constData(), MNT_DETACH);
}

QByteArray folderDigest(const QString& folder) {
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) entries.append(it.next());
    entries.sort();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const QString& entry : entries) {
        const QFileInfo info(entry);
        hash.addData(QFile::encodeName(entry) + '\0');
        if (info.isSymLink()) hash.addData("link:" + QFile::encodeName(info.symLinkTarget()));
        else if (info.isFile()) hash.addData(readFile(entry));
        hash.addData(QByteArrayView("\0", 1));
    }
    return hash.result().toHex();
}

}  // namespace tavero::test
