#include "camera/RecordingProject.h"
#include "document/ImageOps.h"
#include "platform/ShotError.h"
#include "platform/files/FileMove.h"
#include "recording/RecordingRetake.h"
#include "selftests/CheckGroups.h"
#include "selftests/SelfTestMarks.h"
#include "selftests/SelfTestRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>
#include <stdexcept>

namespace tavero::selftests {

namespace {

const QByteArray takeBytes = QByteArrayLiteral("synthetic take fixture");

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

RecordingProject takeProject() {
    RecordingProject project;
    project.sourceFile = QStringLiteral("take.mp4");
    project.targetName = QStringLiteral("retake test");
    project.duration = 2.0;
    project.backgroundFile = QStringLiteral("backdrop.png");
    return project;
}

void moveOrThrow(const QString& from, const QString& to) {
    if (!renameInPlace(from, to)) throw std::runtime_error(("could not move " + from + " to " + to).toStdString());
}

// Stands in for the Trash: a folder of the work folder, remembering where
// the archive went.
RecordingRetake::Recycle movingInto(const QString& trash, std::optional<QString>& archived) {
    return [trash, &archived](const QString& folder) {
        const QString target = QDir(trash).filePath(QFileInfo(folder).fileName());
        moveOrThrow(folder, target);
        archived = target;
    };
}

void moveContentsBack(const QString& archive, const QString& folder) {
    for (const QString& name : QDir(archive).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
        moveOrThrow(QDir(archive).filePath(name), QDir(folder).filePath(name));
}

}  // namespace

void checkRetake(SelfTestRun& run) {
    const QString take = run.writeWorkFile(QStringLiteral("take.mp4"), takeBytes);
    const QString backdrop =
        run.writeWorkFile(QStringLiteral("backdrop.png"), ImageOps::png(patternTop(run), QStringLiteral("png")));
    takeProject().save(take);
    const QString sidecar = RecordingProject::sidecar(take);
    const QString trash = run.workFile(QStringLiteral("trash"));
    if (!QDir().mkpath(trash)) throw std::runtime_error(("could not create " + trash).toStdString());

    std::optional<QString> archived;
    RecordingRetake::archive(take, {sidecar, backdrop}, movingInto(trash, archived));
    if (!archived) throw std::runtime_error("retake was not archived");
    const QString archivedTake = QDir(*archived).filePath(QStringLiteral("take.mp4"));
    run.check(contents(archivedTake) == takeBytes && !QFileInfo::exists(take),
              QStringLiteral("retake moves discarded video into recoverable bundle without changing its bytes"));
    const auto project = RecordingProject::load(archivedTake);
    run.check(project && project->sourceFile == QStringLiteral("take.mp4") &&
                  QFileInfo::exists(QDir(*archived).filePath(QStringLiteral("backdrop.png"))),
              QStringLiteral("discarded take retains relative project and backdrop references for restoration"));

    moveContentsBack(*archived, run.workFolder());
    bool threw = false;
    try {
        RecordingRetake::archive(take, {sidecar, backdrop},
                                 [](const QString&) { throw ShotError(QStringLiteral("simulated Trash failure")); });
    } catch (const ShotError&) {
        threw = true;
    }
    if (!threw) throw std::runtime_error("Expected Trash failure");
    run.check(contents(take) == takeBytes && RecordingProject::load(take) && QFileInfo::exists(backdrop),
              QStringLiteral("Trash failure restores video and all companions instead of losing the take"));
}

}  // namespace tavero::selftests
