#include "platform/files/FreeSpace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <limits>
#include <mutex>
#include <sys/statvfs.h>
#include <utility>

namespace tavero::FreeSpace {

namespace {

std::mutex probeLock;
Probe installedProbe;  // empty: statvfsProbe

Probe currentProbe() {
    std::lock_guard lock(probeLock);
    return installedProbe ? installedProbe : Probe(statvfsProbe);
}

}  // namespace

QString nearestExisting(const QString& path) {
    QString candidate = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    while (!QFileInfo::exists(candidate) && candidate != QStringLiteral("/"))
        candidate = QFileInfo(candidate).path();
    return candidate;
}

std::optional<qint64> available(const QString& path) {
    return currentProbe()(nearestExisting(path));
}

std::optional<qint64> statvfsProbe(const QString& existingPath) {
    struct statvfs volume {};
    if (::statvfs(QFile::encodeName(existingPath).constData(), &volume) != 0) return std::nullopt;
    const auto bytes = static_cast<unsigned long long>(volume.f_bavail) * volume.f_frsize;
    constexpr auto largest = static_cast<unsigned long long>(std::numeric_limits<qint64>::max());
    return static_cast<qint64>(std::min(bytes, largest));
}

ScopedProbe::ScopedProbe(Probe probe) {
    std::lock_guard lock(probeLock);
    previous_ = std::exchange(installedProbe, std::move(probe));
}

ScopedProbe::~ScopedProbe() {
    std::lock_guard lock(probeLock);
    installedProbe = std::move(previous_);
}

}  // namespace tavero::FreeSpace
