#pragma once

#include "library/CaptureRecord.h"

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

    explicit LibraryManifest(QString folder);

    const QList<CaptureRecord>& records() const { return records_; }
    QString path() const;

    // Replaces the list with the file's records when the file exists. A file
    // that cannot be read or decoded leaves the list as it was; an undecodable
    // one is kept as a dated copy before it is next replaced.
    void read();
    // Drops the records whose file is no longer in the folder, keeping the
    // order of the others; returns how many were dropped.
    qsizetype removeMissingRecords();
    // Drops missing records, then replaces the file atomically with the list.
    void write();

    void insertFirst(const CaptureRecord& record);
    std::optional<CaptureRecord> recordForFile(const QString& file) const;
    void remove(const QUuid& id);

private:
    void keepUndecodableCopy() const;

    QString folder_;
    QList<CaptureRecord> records_;
    // The file on disk could not be decoded and has not been kept aside yet.
    bool undecodableOnDisk_ = false;
};

}  // namespace tavero
