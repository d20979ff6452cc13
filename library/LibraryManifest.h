#pragma once

#include "library/CaptureRecord.h"
#include "platform/files/FileIdentity.h"

#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

namespace tavero {

// The in-memory manifest of one library folder and its file "index.json".
// Owns the list of records, newest first. Not thread-safe: the library uses
// it only on its serial queue. Failures throw ShotError.
class LibraryManifest {
public:
    static inline const QString fileName = QStringLiteral("index.json");
    // Far above any real history (some 300,000 records); a larger file is
    // refused unread.
    static constexpr qint64 largestFile = qint64(64) << 20;

    explicit LibraryManifest(QString folder);

    const QList<CaptureRecord>& records() const { return records_; }
    QString path() const;

    // Replaces the list with the file's records when the file exists and has
    // changed since it was last read or written; an unchanged one leaves the
    // list as it is. A file that cannot be read or decoded (a link, anything
    // but a regular file, one beyond largestFile or past the bounds of
    // parseManifest) leaves the list as it was and is kept aside under a
    // dated name before it is next replaced.
    void read();
    // Drops the records whose file is no longer in the folder, keeping the
    // order of the others; returns how many were dropped.
    qsizetype removeMissingRecords();
    // Drops missing records, then replaces the file atomically with the list;
    // a failed write leaves the earlier file whole.
    void write();
    // The name of the file an unreadable manifest was kept under by the last
    // write, once.
    std::optional<QString> takeKeptAside();

    void insertFirst(const CaptureRecord& record);
    std::optional<CaptureRecord> recordForFile(const QString& file) const;
    void remove(const QUuid& id);

private:
    void keepUnreadable();
    void know(const std::optional<FileIdentity>& identity, bool undecodable);

    QString folder_;
    QList<CaptureRecord> records_;
    // The file on disk could not be read or decoded and has not been kept
    // aside yet.
    bool keepAsideBeforeWrite_ = false;
    std::optional<QString> keptAs_;
    // The file as the list last matched it, read or written, and whether it
    // held no manifest.
    std::optional<FileIdentity> known_;
    bool knownUndecodable_ = false;
};

}  // namespace tavero
