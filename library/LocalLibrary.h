#pragma once

#include "document/Mark.h"
#include "library/CaptureRecord.h"
#include "library/LibraryManifest.h"
#include "platform/Result.h"
#include "platform/ShotError.h"
#include "platform/threads/MainThread.h"
#include "platform/threads/SerialQueue.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QUuid>

#include <functional>
#include <optional>

namespace tavero {

// The capture library: the folder 岚帧 on the Desktop holding every kept
// screenshot, video and project, with the manifest "index.json" that the
// history lists. Owns the folder's path, the manifest and the serial queue on
// which all of its disk work runs, one operation at a time in call order.
// Called on the main thread; every operation returns at once and answers
// exactly once, on the main thread, after its disk work has finished.
// Destroying the library waits for the work already queued.
class LocalLibrary {
public:
    // The first part of the names of the library's files.
    struct Prefix {
        static inline const QString capture = QStringLiteral("截图");
        static inline const QString annotated = QStringLiteral("标注截图");
        static inline const QString scrolling = QStringLiteral("长截图");
        static inline const QString project = QStringLiteral("可编辑截图");
        static inline const QString gif = QStringLiteral("动图");
        static inline const QString trimmed = QStringLiteral("裁剪录屏");
        static inline const QString recording = QStringLiteral("录屏");
        static inline const QString finished = QStringLiteral("讲解成片");
    };

    using LoadDone = std::function<void(QList<CaptureRecord> records, std::optional<ShotError> error)>;
    using RecordDone = std::function<void(Result<CaptureRecord> record)>;
    // Receives the path of the written project file.
    using ProjectDone = std::function<void(Result<QString> path)>;
    using TrashDone = std::function<void(std::optional<ShotError> error)>;
    // Receives the name an unreadable "index.json" was kept under.
    using KeptAside = std::function<void(QString keptAs)>;

    // With an empty `root`, the folder 岚帧 in the user's Desktop. Nothing is
    // touched on disk until the first operation.
    explicit LocalLibrary(const QString& root = QString());

    LocalLibrary(const LocalLibrary&) = delete;
    LocalLibrary& operator=(const LocalLibrary&) = delete;

    const QString& root() const { return root_; }
    static QString defaultRoot();

    // Called on the main thread each time a manifest that could not be read
    // is set aside before being replaced: its records leave the history.
    // Set before the first operation.
    void onManifestKeptAside(KeptAside keptAside);

    // Creates the folder, reads the manifest and drops the records whose file
    // is gone, rewriting the manifest only when it dropped some. On failure
    // `done` gets the list as it was and the error, and the file is untouched.
    void load(LoadDone done);
    // Writes `image` as a new file named after `name`, encoded as `type`
    // ("png", "jpg" or "heic"), and lists it first. When the manifest cannot
    // be written the file is removed again: nothing unlisted stays behind.
    void persist(const QImage& image, const QString& name, const QString& type, RecordDone done);
    void persist(const QImage& image, RecordDone done);
    // What becomes of a video whose record cannot be written: kept in the
    // folder, its record written with the next manifest; or removed with the
    // failure, when it is a copy that the caller then says was not kept.
    enum class IfUnlisted { keep, remove };

    // Lists a video already written into the folder; a file already listed
    // answers its existing record and writes nothing.
    void addVideo(const QString& path, RecordDone done, IfUnlisted ifUnlisted = IfUnlisted::keep);
    // Writes a new editable project of the unannotated `image` and its `marks`;
    // the manifest is not touched.
    void saveProject(const QImage& image, const QList<Mark>& marks, ProjectDone done);
    // Moves the record's file to the Trash and forgets the record. A file that
    // is already gone is simply forgotten.
    void trash(const CaptureRecord& record, TrashDone done);

    // Runs `work` on the library's queue, in turn with its own disk work, and
    // answers with what it returns or the ShotError it throws (any other
    // exception answers `fallback`). For the files kept beside the listed
    // ones, a recording's project: they are read after the writes asked
    // before, and written before the library is gone.
    template <typename Value>
    void runInTurn(std::function<Value()> work, std::function<void(Result<Value>)> done, QString fallback) {
        queue_.async([work = std::move(work), done = std::move(done), fallback = std::move(fallback)] {
            Result<Value> result = capture(work, fallback);
            postToMain([done, result] { done(result); });
        });
    }

    // `prefix`, the local time as "yyyy-MM-dd_HH-mm-ss" and the first six
    // characters of `id`, joined with "_"; callers append the extension.
    // Callable on any thread.
    static QString filename(const QString& prefix, const QUuid& id);

private:
    template <typename Value, typename Work>
    void run(Work work, std::function<void(Result<Value>)> done);

    void loadNow();
    CaptureRecord persistNow(const QImage& image, const QString& name, const QString& type);
    CaptureRecord addVideoNow(const QString& path, IfUnlisted ifUnlisted);
    QString saveProjectNow(const QImage& image, const QList<Mark>& marks);
    void trashNow(const CaptureRecord& record);
    void createFolder() const;
    // Writes the manifest and tells of a file it set aside.
    void writeManifest();
    QString pathOf(const QString& file) const;

    const QString root_;
    // Touched only on queue_.
    LibraryManifest manifest_;
    KeptAside keptAside_;
    // Declared last so that it is destroyed first, letting queued work finish
    // while the manifest is still alive.
    SerialQueue queue_;
};

}  // namespace tavero
