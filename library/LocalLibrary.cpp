#include "library/LocalLibrary.h"

#include "document/ImageOps.h"
#include "library/EditableShot.h"
#include "library/LibraryMessages.h"
#include "platform/Json.h"
#include "platform/files/AtomicFile.h"
#include "platform/files/Trash.h"
#include "platform/threads/MainThread.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace tavero {

namespace messages = library::messages;

namespace {

const QString folderName = QStringLiteral("岚帧");

CaptureRecord newRecord(const QUuid& id, const QString& file, QSize size, const QString& kind) {
    return {id, file, file, QDateTime::currentDateTime(), size.width(), size.height(), kind};
}

bool isBareName(const QString& file) {
    return !file.isEmpty() && !file.contains(QLatin1Char('/')) && file != QLatin1String(".") &&
           file != QLatin1String("..");
}

}  // namespace

LocalLibrary::LocalLibrary(const QString& root)
    : root_(root.isEmpty() ? defaultRoot() : root),
      manifest_(root_),
      queue_(QStringLiteral("tavero.library")) {}

QString LocalLibrary::defaultRoot() {
    const QStringList desktops = QStandardPaths::standardLocations(QStandardPaths::DesktopLocation);
    const QString desktop = desktops.isEmpty() ? QDir::homePath() + QStringLiteral("/Desktop") : desktops.first();
    return desktop + QLatin1Char('/') + folderName;
}

QString LocalLibrary::filename(const QString& prefix, const QUuid& id) {
    const QString time = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
    return prefix + QLatin1Char('_') + time + QLatin1Char('_') + json::uuidString(id).left(6);
}

template <typename Value, typename Work>
void LocalLibrary::run(Work work, std::function<void(Result<Value>)> done) {
    runInTurn<Value>(std::move(work), std::move(done), messages::operationFailed());
}

void LocalLibrary::onManifestKeptAside(KeptAside keptAside) { keptAside_ = std::move(keptAside); }

void LocalLibrary::load(LoadDone done) {
    queue_.async([this, done = std::move(done)] {
        const Result<Done> result = capture(
            [this] {
                loadNow();
                return Done{};
            },
            messages::operationFailed());
        std::optional<ShotError> error;
        if (!result) error = result.error();
        postToMain([done, records = manifest_.records(), error] { done(records, error); });
    });
}

void LocalLibrary::persist(const QImage& image, const QString& name, const QString& type, RecordDone done) {
    run<CaptureRecord>([this, image, name, type] { return persistNow(image, name, type); }, std::move(done));
}

void LocalLibrary::persist(const QImage& image, RecordDone done) {
    persist(image, Prefix::capture, QStringLiteral("png"), std::move(done));
}

void LocalLibrary::addVideo(const QString& path, RecordDone done, IfUnlisted ifUnlisted) {
    run<CaptureRecord>([this, path, ifUnlisted] { return addVideoNow(path, ifUnlisted); }, std::move(done));
}

void LocalLibrary::saveProject(const QImage& image, const QList<Mark>& marks, ProjectDone done) {
    run<QString>([this, image, marks] { return saveProjectNow(image, marks); }, std::move(done));
}

void LocalLibrary::trash(const CaptureRecord& record, TrashDone done) {
    run<Done>(
        [this, record] {
            trashNow(record);
            return Done{};
        },
        [done = std::move(done)](Result<Done> result) {
                  done(result ? std::nullopt : std::optional<ShotError>(result.error()));
              });
}

void LocalLibrary::loadNow() {
    createFolder();
    manifest_.read();
    if (manifest_.removeMissingRecords() > 0) writeManifest();
}

void LocalLibrary::writeManifest() {
    manifest_.write();
    const std::optional<QString> keptAs = manifest_.takeKeptAside();
    if (!keptAs) return;
    if (keptAside_) postToMain([keptAside = keptAside_, name = *keptAs] { keptAside(name); });
}

CaptureRecord LocalLibrary::persistNow(const QImage& image, const QString& name, const QString& type) {
    createFolder();
    const QUuid id = QUuid::createUuid();
    const QString file = filename(name, id) + QLatin1Char('.') + type;
    const QByteArray bytes = ImageOps::png(image, type);
    writeFileAtomically(pathOf(file), bytes).orThrow(messages::cannotWriteFile(file));
    const CaptureRecord record = newRecord(id, file, image.size(), CaptureRecord::imageKind);
    manifest_.insertFirst(record);
    try {
        writeManifest();
    } catch (const ShotError&) {
        // The caller says the picture was not saved: it leaves the folder and
        // the list with the failure, so no later save lists it unasked.
        manifest_.remove(id);
        QFile::remove(pathOf(file));
        throw;
    }
    return record;
}

CaptureRecord LocalLibrary::addVideoNow(const QString& path, IfUnlisted ifUnlisted) {
    const QString file = QFileInfo(path).fileName();
    if (auto listed = manifest_.recordForFile(file)) return *listed;
    const CaptureRecord record = newRecord(QUuid::createUuid(), file, QSize(0, 0), CaptureRecord::videoKind);
    manifest_.insertFirst(record);
    try {
        writeManifest();
    } catch (const ShotError&) {
        if (ifUnlisted == IfUnlisted::remove) {
            manifest_.remove(record.id);
            QFile::remove(path);
        }
        throw;
    }
    return record;
}

QString LocalLibrary::saveProjectNow(const QImage& image, const QList<Mark>& marks) {
    createFolder();
    const QByteArray png = ImageOps::png(image, QStringLiteral("png"));
    const QString file = filename(Prefix::project, QUuid::createUuid()) + QLatin1Char('.') + projectExtension;
    const QString path = pathOf(file);
    writeFileAtomically(path, encodeEditableShot({1, png, marks})).orThrow(messages::cannotWriteFile(file));
    return path;
}

void LocalLibrary::trashNow(const CaptureRecord& record) {
    const QString path = pathOf(record.file);
    // Only a bare name can be a file of the folder; anything else (a path
    // reaching out of it) has no file here and is only forgotten.
    if (isBareName(record.file) && QFileInfo::exists(path) && !moveToTrash(path)) throw ShotError(messages::cannotTrash(record.file));
    manifest_.remove(record.id);
    writeManifest();
}

void LocalLibrary::createFolder() const {
    if (!QDir().mkpath(root_)) throw ShotError(messages::cannotCreateFolder(QFileInfo(root_).fileName()));
}

QString LocalLibrary::pathOf(const QString& file) const { return root_ + QLatin1Char('/') + file; }

}  // namespace tavero
