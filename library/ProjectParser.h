#pragma once

#include "library/EditableShot.h"

#include <QByteArray>

namespace tavero {

class RegularFileStream;

// Reads an editable project from JSON text as a stream of parse events,
// keeping only what the project needs: each mark is checked and decoded as
// soon as it ends, and the project is refused the moment a mark, or the
// marks together, pass a limit (markLimits: marks, points, stroke length,
// text), so a file of a million marks is neither held whole nor read to its
// end. Values of other keys are passed over unkept. Every value is bounded by
// what a project of ours holds, and refused at the first byte past its
// bound: a string by a label's text (the picture by the largest picture's
// Base64, projectFile::largestPicture), a number
// by a double's digits, nesting by a point's depth, the values of a mark
// besides its points, and those of unknown keys, by the hundred or thousand.
//
// Both throw json::DecodeError for text that is no project (a NUL byte
// anywhere, anything after the value) and the ShotError of an unreadable
// project at a limit; the file's read errors are the stream's to report.
EditableShot parseProject(const QByteArray& text);
EditableShot parseProject(RegularFileStream& file);

}  // namespace tavero
