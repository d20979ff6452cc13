#pragma once

#include "platform/Json.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QUuid>

namespace tavero {

// One entry of the library's manifest: an image or a video file that lies in
// the library folder. A plain value, safe to copy between threads.
struct CaptureRecord {
    QUuid id;
    // The display name; the library sets it to the file name with its extension.
    QString name;
    // A bare file name inside the library folder.
    QString file;
    // When the entry was written (not when the picture was taken).
    QDateTime created;
    // Pixel size of an image; 0 for videos.
    qint64 width = 0;
    qint64 height = 0;
    // imageKind or videoKind.
    QString kind;

    static inline const QString imageKind = QStringLiteral("image");
    static inline const QString videoKind = QStringLiteral("video");

    friend bool operator==(const CaptureRecord&, const CaptureRecord&) = default;
};

// Keys in the stored order: "id" (upper-case), "name", "file", "created"
// (seconds since 2001-01-01), "width", "height", "kind".
json::Json toJson(const CaptureRecord& record);
// Every key is required, in any order, ids in either case; throws json::DecodeError.
CaptureRecord captureRecordFromJson(const json::Json& value);

// The manifest file: one compact JSON array of records, newest first.
QByteArray encodeManifest(const QList<CaptureRecord>& records);
// A record with a missing or mistyped key fails the whole manifest, as does
// anything past the bounds of parseManifest.
QList<CaptureRecord> decodeManifest(const QByteArray& bytes);

}  // namespace tavero
