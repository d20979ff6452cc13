#include "library/LibraryManifest.h"

#include "library/LibraryMessages.h"
#include "library/ManifestParser.h"
#include "platform/ShotError.h"
#include "platform/files/AtomicFile.h"
#include "platform/files/FileMove.h"
#include "platform/files/RegularFileStream.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <filesystem>
#include <system_error>
#include <utility>

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

}  // namespace

LibraryManifest::LibraryManifest(QString folder) : folder_(std::move(folder)) {}

QString LibraryManifest::path() const { return folder_ + QLatin1Char('/') + fileName; }

// Only a regular file of the folder itself is read: a link, a FIFO or a
// device is no manifest of ours, and reading one could block the library or
// fill the memory. A file as it was when last read or written is not read
// again: the list already holds what it says, or it said nothing readable.
void LibraryManifest::read() {
    const std::optional<FileIdentity> onDisk = identityAt(path());
    if (!onDisk) return;
    if (onDisk == known_) {
        if (knownUndecodable_) throw ShotError(messages::dataNotReadable());
        return;
    }
    // Kept aside unless it is read whole.
    keepAsideBeforeWrite_ = true;
    RegularFileStream file(path(), largestFile, LinkRule::refuse);
    if (!file.isOpen()) throw ShotError(messages::cannotReadFile(fileName));
    QList<CaptureRecord> records;
    try {
        records = parseManifest(file);
    } catch (const json::DecodeError&) {
        if (file.failed()) throw ShotError(messages::cannotReadFile(fileName));
        know(file.identity(), true);
        throw ShotError(messages::dataNotReadable());
    }
    if (file.failed()) throw ShotError(messages::cannotReadFile(fileName));
    records_ = std::move(records);
    know(file.identity(), false);
    keepAsideBeforeWrite_ = false;
}

void LibraryManifest::know(const std::optional<FileIdentity>& identity, bool undecodable) {
    known_ = identity;
    knownUndecodable_ = undecodable;
}

qsizetype LibraryManifest::removeMissingRecords() {
    const QSet<QString> present = namesIn(folder_);
    return records_.removeIf([&](const CaptureRecord& record) { return !present.contains(record.file); });
}

void LibraryManifest::write() {
    removeMissingRecords();
    const QByteArray bytes = encodeManifest(records_);
    if (keepAsideBeforeWrite_) {
        keepUnreadable();
        keepAsideBeforeWrite_ = false;
    }
    writeFileAtomically(path(), bytes).orThrow(messages::cannotWriteFile(fileName));
    know(identityAt(path()), false);
}

// The history in a manifest we could not read would be lost when the list in
// memory replaces it, so it stays beside the new one for the user to recover.
// Kept under a second name, not copied: a copy needs room the disk may lack,
// and reading a link or a FIFO is what we must not do.
void LibraryManifest::keepUnreadable() {
    if (!identityAt(path())) return;
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const std::optional<QString> kept = keepAside(path(), path() + QStringLiteral(".broken-") + stamp);
    if (!kept) throw ShotError(messages::cannotKeepCopy(fileName));
    keptAs_ = QFileInfo(*kept).fileName();
}

std::optional<QString> LibraryManifest::takeKeptAside() { return std::exchange(keptAs_, std::nullopt); }

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
