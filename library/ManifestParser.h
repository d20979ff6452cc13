#pragma once

#include "library/CaptureRecord.h"

#include <QByteArray>
#include <QList>

namespace tavero {

class RegularFileStream;

// A record of ours takes some 200 bytes, so the manifest's own cap on its
// file holds some 300,000 of them; fifty captures a day for ten years come
// to 182,500. More is no history of ours.
inline constexpr qsizetype maxManifestRecords = 300'000;

// Reads the manifest from JSON text as a stream of parse events: each record
// is decoded as soon as it ends, with the rules of captureRecordFromJson, and
// the manifest is refused the moment it passes a bound: more than
// maxManifestRecords records, a string longer than a name can be, values
// nested deeper than a later version's keys would, or a record holding more
// values than such keys. So a crafted file of tens of megabytes is neither
// held whole nor read to its end.
//
// Both throw json::DecodeError for text that is no manifest (a NUL byte
// anywhere, anything after the array) and its json::BeyondLimit at a bound;
// the file's read errors are the stream's to report.
QList<CaptureRecord> parseManifest(const QByteArray& text);
QList<CaptureRecord> parseManifest(RegularFileStream& file);

}  // namespace tavero
