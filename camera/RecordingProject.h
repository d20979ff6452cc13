#pragma once

#include "camera/CameraFraming.h"
#include "camera/CursorSample.h"
#include "camera/RecordingEffects.h"
#include "platform/Json.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace tavero {

// The project sidecar of a recorded video: what it takes to render the
// smart-camera cut again later, kept as JSON beside the raw video. File names
// in it are bare names of files in the sidecar's own folder, so the video,
// its sidecar and its background still can move together. A plain value;
// save and load block the calling thread.
struct RecordingProject {
    // 1 is the only version written and the only one read.
    qint64 version = 1;
    // The raw recording, beside the sidecar.
    QString sourceFile;
    QString targetName;
    // Seconds of the raw recording.
    double duration = 0;
    RecordingEffects effects;
    // The pointer track in recording order.
    QList<CursorSample> samples;
    // The blurred still taken when the recording started, beside the sidecar.
    std::optional<QString> backgroundFile;
    // The camera was on, so the portrait is already in the raw video. A file
    // without it says nothing either way.
    std::optional<bool> portraitBaked;
    // Only for camera-only recordings.
    std::optional<CameraFraming> cameraFraming;

    friend bool operator==(const RecordingProject&, const RecordingProject&) = default;

    // The most pointer samples a sidecar holds: a take of two hours, sampled
    // every 33 ms, has 218,182; these are two hours and twelve minutes.
    static constexpr qsizetype maxSamples = 240'000;

    // The sidecar's path: the video's path with its last extension replaced
    // by "recording.json" (clip.mp4 → clip.recording.json).
    static QString sidecar(const QString& video);

    // Writes the sidecar beside `video` atomically, replacing an earlier one,
    // without the pointer samples that hold a NaN or an infinity; more than
    // maxSamples are thinned evenly to fit, every click kept while it can be.
    // Throws ShotError for any other such number, for a project load() would
    // refuse (another version, a file name that is not a bare one) and when
    // the file cannot be written; on failure the earlier sidecar is left
    // untouched.
    void save(const QString& video) const;

    // The project beside `video`; none when the file is missing, unreadable,
    // larger than a take of maxSamples writes, past a bound of
    // parseRecordingProject(), not a project of version 1, or names anything
    // but a file in its folder (an empty name, ".", "..", a "/" or a NUL).
    // Read as it streams in, and only as far as the first value past a bound.
    static std::optional<RecordingProject> load(const QString& video);
};

// Keys in the stored order: "version", "sourceFile", "targetName",
// "duration", "effects", "samples", then "backgroundFile", "portraitBaked"
// and "cameraFraming" only when present. Throws NonFiniteNumber
// (camera/FiniteNumber.h) for a NaN or infinite number anywhere.
json::Json toJson(const RecordingProject& project);
// The first six keys are required; unknown keys are ignored. Throws
// json::DecodeError. Checks no version and no file name: load does.
RecordingProject recordingProjectFromJson(const json::Json& value);

QByteArray encodeRecordingProject(const RecordingProject& project);
// As parseRecordingProject() (camera/RecordingProjectParser.h).
RecordingProject decodeRecordingProject(const QByteArray& bytes);

}  // namespace tavero
