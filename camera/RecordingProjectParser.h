#pragma once

#include "camera/RecordingProject.h"

#include <QByteArray>

namespace tavero {

class RegularFileStream;

// Reads a recording's project sidecar from JSON text as a stream of parse
// events: each pointer sample is decoded as soon as it ends and the other
// values are decoded when the text does, so no document of the whole is
// built. Every value is bounded by what a sidecar of ours holds, and the
// text is refused at the first byte past a bound: a string by a window's
// name, a number by a double's digits, nesting by a sample's depth, the
// samples by RecordingProject::maxSamples, and the values of a sample, or
// outside the samples, by the dozen or thousand. Values of unknown keys are
// passed over unkept.
//
// Both throw json::DecodeError for text that is no project, json::BeyondLimit
// at a bound; the file's read errors are the stream's to report.
RecordingProject parseRecordingProject(const QByteArray& text);
RecordingProject parseRecordingProject(RegularFileStream& file);

}  // namespace tavero
