#include "recording/RecordingRetake.h"

#include "library/LibraryMessages.h"
#include "platform/ShotError.h"
#include "platform/files/FileMove.h"
#include "platform/files/Trash.h"

#include <QDir>
#include <QFileInfo>

#include <utility>
#include <vector>

namespace tavero::RecordingRetake {

namespace {

namespace libraryMessages = library::messages;

const QString folderPrefix = QStringLiteral("重录片段_");

QString cannotMove(const QString& file, const QString& folder) {
    return QStringLiteral("未能将“%1”移到“%2”中。").arg(file, folder);
}

QString standardized(const QString& path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }

QString folderOf(const QString& path) { return QFileInfo(standardized(path)).path(); }

// The name without its last extension; a leading dot starts no extension.
QString baseName(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? fileName.left(dot) : fileName;
}

// The clip first, then each existing companion once, in the given order.
QStringList filesToMove(const QString& clip, const QStringList& companions) {
    QStringList files{standardized(clip)};
    for (const QString& companion : companions) {
        const QString path = standardized(companion);
        if (!files.contains(path) && QFileInfo::exists(path)) files.append(path);
    }
    return files;
}

// Where a moved file came from and where it lies now.
using Moves = std::vector<std::pair<QString, QString>>;

// Puts back every moved file, the last first, going on past failures, and
// removes the folder when nothing is left in it (rmdir leaves a folder that
// still holds a file whose move back failed).
void restore(const Moves& moves, const QString& folder) {
    for (auto move = moves.rbegin(); move != moves.rend(); ++move) renameInPlace(move->second, move->first);
    QDir().rmdir(folder);
}

void moveInto(const QStringList& files, const QString& folder, Moves& moves) {
    for (const QString& file : files) {
        const QString target = folder + QLatin1Char('/') + QFileInfo(file).fileName();
        // A plain rename: the files stay on their volume and never get copied.
        if (!renameInPlace(file, target))
            throw ShotError(cannotMove(QFileInfo(file).fileName(), QFileInfo(folder).fileName()));
        moves.emplace_back(file, target);
    }
}

}  // namespace

void moveToTrash(const QString& path) {
    if (!tavero::moveToTrash(path)) throw ShotError(libraryMessages::cannotTrash(QFileInfo(path).fileName()));
}

QString archiveFolder(const QString& clip) {
    const QFileInfo info(standardized(clip));
    return info.path() + QLatin1Char('/') + folderPrefix + baseName(info.fileName());
}

void archive(const QString& clip, const QStringList& companions, const Recycle& recycle) {
    const QString folder = archiveFolder(clip);
    if (!QFileInfo::exists(clip)) throw ShotError(messages::clipMissing());
    const QStringList files = filesToMove(clip, companions);
    const QString clipFolder = folderOf(clip);
    for (const QString& file : files) {
        if (folderOf(file) != clipFolder) throw ShotError(messages::companionElsewhere());
    }
    // mkdir, not mkpath: an earlier take's folder of the same name must not
    // be reused, so its files are never mixed with this take's.
    if (!QDir().mkdir(folder)) throw ShotError(libraryMessages::cannotCreateFolder(QFileInfo(folder).fileName()));
    Moves moves;
    try {
        moveInto(files, folder, moves);
        recycle(folder);
    } catch (const ShotError& error) {
        restore(moves, folder);
        throw ShotError(messages::notArchived(error.message()));
    } catch (...) {
        // Whatever the recycle step threw, the take must not stay half moved.
        restore(moves, folder);
        throw ShotError(messages::notArchived(libraryMessages::operationFailed()));
    }
}

}  // namespace tavero::RecordingRetake
