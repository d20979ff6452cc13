#include "document/ImageOps.h"
#include "library/CaptureRecord.h"
#include "library/LocalLibrary.h"
#include "platform/ShotError.h"
#include "selftests/AnswerWait.h"
#include "selftests/CheckGroups.h"
#include "selftests/SelfTestMarks.h"
#include "selftests/SelfTestRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <stdexcept>

namespace tavero::selftests {

namespace {

using namespace std::chrono_literals;

struct Loaded {
    QList<CaptureRecord> records;
    std::optional<ShotError> error;
};

std::optional<Result<CaptureRecord>> persist(LocalLibrary& library, const QImage& image,
                                             std::chrono::milliseconds limit) {
    return waitForAnswer<Result<CaptureRecord>>([&](auto answer) { library.persist(image, answer); }, limit);
}

// A save that did not come back in time ends the run with `timeout`; one
// that failed ends it with its own sentence.
CaptureRecord savedRecord(const std::optional<Result<CaptureRecord>>& answer, const char* timeout) {
    if (!answer) throw std::runtime_error(timeout);
    if (!*answer) throw answer->error();
    return answer->value();
}

QList<CaptureRecord> manifestOnDisk(const QString& root) {
    QFile file(QDir(root).filePath(QStringLiteral("index.json")));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error((file.fileName() + QStringLiteral(": ") + file.errorString()).toStdString());
    return decodeManifest(file.readAll());
}

void removeOrThrow(const QString& path) {
    const QFileInfo info(path);
    const bool removed = info.isDir() ? QDir(path).removeRecursively() : QFile::remove(path);
    if (!removed) throw std::runtime_error(("could not remove " + path).toStdString());
}

QString desktopLibrary() {
    const QStringList desktops = QStandardPaths::standardLocations(QStandardPaths::DesktopLocation);
    return (desktops.isEmpty() ? QString() : desktops.first()) + QStringLiteral("/岚帧");
}

}  // namespace

void checkLibrary(SelfTestRun& run) {
    const QImage redacted = ImageOps::render(patternTop(run), {redactionMark()});
    const QString root = run.workFile(QStringLiteral("library"));
    LocalLibrary library(root);

    const CaptureRecord first = savedRecord(persist(library, redacted, 10s), "background local save timed out");
    run.check(ImageOps::load(QDir(root).filePath(first.file)).width() == 240, QStringLiteral("background local save"));
    const QList<CaptureRecord> listed = manifestOnDisk(root);
    run.check(!listed.isEmpty() && listed.first().id == first.id,
              QStringLiteral("local history manifest matches saved file"));
    run.check(LocalLibrary().root() == desktopLibrary(), QStringLiteral("default capture folder is Desktop/岚帧"));

    removeOrThrow(QDir(root).filePath(first.file));
    const auto loaded = waitForAnswer<Loaded>(
        [&](auto answer) {
            library.load([answer](QList<CaptureRecord> records, std::optional<ShotError> error) {
                answer(Loaded{std::move(records), std::move(error)});
            });
        },
        5s);
    run.check(loaded && !loaded->error && loaded->records.isEmpty(),
              QStringLiteral("Finder deletion disappears from history on refresh"));
    run.check(manifestOnDisk(root).isEmpty(),
              QStringLiteral("deleted media is removed from the persisted history index"));

    removeOrThrow(root);
    const CaptureRecord second = savedRecord(persist(library, redacted, 5s), "save after folder deletion timed out");
    run.check(QFileInfo::exists(QDir(root).filePath(second.file)),
              QStringLiteral("capture recreates an externally removed output folder"));
}

}  // namespace tavero::selftests
