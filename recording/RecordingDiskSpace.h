#pragma once

#include <QString>

#include <optional>

namespace tavero {

// Every free-space rule of recording in one place. Sizes are bytes, and a GB
// is 1,000,000,000 of them, in the rules and in the text alike. An unknown
// amount (none) never blocks or stops anything. No state; any thread.
namespace RecordingDiskSpace {

// A recording starts only with at least this much free; the screen writer
// also tells a full disk from other interruptions by it.
inline constexpr qint64 startReserve = 3'000'000'000;
// A running recording or render stops below this.
inline constexpr qint64 stopReserve = 2'000'000'000;

// Free bytes of the file system that will receive `path`, measured on its
// nearest existing folder (FreeSpace::available, replaceable in tests); none
// when they cannot be read. Callers that poll limit their own rate.
std::optional<qint64> available(const QString& path);

// "3.0 GB": decimal gigabytes with one decimal, a point whatever the locale.
QString label(qint64 bytes);

// The sentence refusing to start a recording, or none when it may start.
std::optional<QString> startIssue(std::optional<qint64> available);
// A running recording (or render) must stop now.
bool shouldStop(std::optional<qint64> available);
// The sentence refusing a smart-camera render of a source of `sourceBytes`,
// which needs three times the source plus 3 GB; none when it may run.
std::optional<QString> exportIssue(std::optional<qint64> available, qint64 sourceBytes);

}  // namespace RecordingDiskSpace
}  // namespace tavero
