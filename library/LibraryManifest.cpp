#include "library/LibraryManifest.h"

#include "library/LibraryMessages.h"
#include "platform/AtomicFile.h"
#include "platform/ShotError.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <filesystem>
#include <system_error>

namespace tavero {

namespace messages = library::messages;

namespace {

// Every name directly inside `folder`, hidden ones included. Unlike QDir, the
// standard listing reports a folder it cannot read, which must not look empty:
// an empty listing would drop every record.
QSet<QString> namesIn(const QString& folder) {
    namespace fs = std::filesystem;
    const auto fail = [&] { return ShotError(messages::cannotListFolder(QFileInfo(folder).fileName())); };
    std::error_code error;
    fs::directory_iterator entry(QFile::encodeName(folder).toStdString(), error);
    if (error) throw fail();
    QSet<QString> names;
    for (; entry != fs::directory_iterator(); entry.increment(error)) {
        if (error) throw fail();
        names.insert(QFile::decodeName(QByteArray::fromStdString(entry->path().filename().native())));
    }
    if (error) throw fail();
    return names;
}

QString unusedName(const QString& base) {
    QString candidate = base;
    for (int n = 2; QFileInfo::exists(candidate); ++n) candidate = base + QLatin1Char('-') + QString::number(n);
    return candidate;
}

}  // namespace

LibraryManifest::LibraryManifest(QString folder) : folder_(std::move(folder)) {}

QString LibraryManifest::path() const { return folder_ + QLatin1Char('/') + fileName; }

void LibraryManifest::read() {
    QFile file(path());
    if (!file.exists()) return;
    if (!file.open(QIODevice::ReadOnly)) throw ShotError(messages::cannotReadFile(fileName));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) throw ShotError(messages::cannotReadFile(fileName));
    try {
        records_ = decodeManifest(bytes);
        undecodableOnDisk_ = false;
    } catch (const json::DecodeError&) {
        undecodableOnDisk_ = true;
        throw ShotError(messages::dataNotReadable());
    }
}

qsizetype LibraryManifest::removeMissingRecords() {
    const QSet<QString> present = namesIn(folder_);
    return records_.removeIf([&](const CaptureRecord& record) { return !present.contains(record.file); });
}

void LibraryManifest::write() {
    removeMissingRecords();
    const QByteArray bytes = encodeManifest(records_);
    if (undecodableOnDisk_) {
        keepUndecodableCopy();
        undecodableOnDisk_ = false;
    }
    if (!writeFileAtomically(path(), bytes)) throw ShotError(messages::cannotWriteFile(fileName));
}

// The history of a manifest we could not decode would be lost when the list
// in memory replaces it, so a copy stays beside it for the user to recover.
void LibraryManifest::keepUndecodableCopy() const {
    if (!QFileInfo::exists(path())) return;
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString copy = unusedName(path() + QStringLiteral(".broken-") + stamp);
    if (!QFile::copy(path(), copy)) throw ShotError(messages::cannotKeepCopy(fileName));
}

void LibraryManifest::insertFirst(const CaptureRecord& record) { records_.prepend(record); }

std::optional<CaptureRecord> LibraryManifest::recordForFile(const QString& file) const {
    for (const CaptureRecord& record : records_)
        if (record.file == file) return record;
    return std::nullopt;
}

void LibraryManifest::remove(const QUuid& id) {
    records_.removeIf([&](const CaptureRecord& record) { return record.id == id; });
}

}  // namespace tavero
