#pragma once

#include "document/ImageOps.h"
#include "document/Mark.h"
#include "platform/Json.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

namespace tavero {

// The extension of editable project files, without the dot.
inline const QString projectExtension = QStringLiteral("vistagon");

// An editable project: the picture without its marks and the marks, still
// editable, in drawing order. Mark coordinates are pixels of that picture.
struct EditableShot {
    // Written as 1; readers accept any integer and read every version alike.
    qint64 version = 1;
    // The picture as PNG.
    QByteArray png;
    QList<Mark> marks;

    friend bool operator==(const EditableShot&, const EditableShot&) = default;
};

// How large a project file the bounds of a picture and its marks make:
// the largest picture as PNG, in Base64, and the largest marks with every
// number and character at its longest as written. A project of ours never
// passes them; a file that does is refused unread.
namespace projectFile {
// A picture of ImageOps::maxPixels one pixel wide, as straight RGBA that
// does not compress: a filter byte and four bytes a pixel, deflate's blocks
// and the chunks besides, and room for the colour profile.
inline constexpr qint64 largestPng = ImageOps::maxPixels * 5 + ImageOps::maxPixels * 5 / 1'000 + (qint64(16) << 20);
// Base64 and its quotes.
inline constexpr qint64 largestPicture = (largestPng + 2) / 3 * 4 + 2;
// A mark holds at most some 400 bytes besides its points and text, a point
// 52, and a character of a label six, as an escape.
inline constexpr qint64 largestMarks =
    markLimits::maxMarks * 512 + markLimits::maxProjectPoints * 64 + markLimits::maxProjectTextLength * 6;
inline constexpr qint64 largestFile = largestPicture + largestMarks + 1'024;
}  // namespace projectFile

// Keys in the stored order: "version", "png" (Base64), "marks".
json::Json toJson(const EditableShot& shot);
// All three keys are required, in any order; unknown keys are ignored. A
// missing or mistyped value throws json::DecodeError. Project files come from
// anywhere, so values no project of ours holds (a mark beyond markLimits,
// such as a font outside 1…200, a line wider than 36, a label longer than
// 5,000 characters, more than 20,000 points or a point more than a million
// pixels from the picture; marks together past withinProjectLimits; a
// picture past projectFile::largestPicture) throw the ShotError of an
// unreadable project before they reach the editor.
EditableShot editableShotFromJson(const json::Json& value);

// The project file as it is written, the points of its marks on the grid
// (onPointGrid) as the reader takes them. Throws the ShotError of a project
// beyond the bounds rather than give a file that would not open: marks
// past withinProjectLimits, a picture past ImageOps::maxPixels, or a file
// past projectFile::largestFile.
QByteArray encodeEditableShot(const EditableShot& shot);
// As editableShotFromJson; text that is no JSON, or holds a number beyond a
// double (such as a "version" of 1e400), throws json::DecodeError.
EditableShot decodeEditableShot(const QByteArray& bytes);

// True for the extension "vistagon" in any case.
bool isProjectFile(const QString& path);

// The stored picture. Its size is read from the header and checked against
// the pixel limit before anything is decoded; throws the unreadable-project
// ShotError.
QImage projectPicture(const EditableShot& shot);

// What opening a project puts into the document.
struct OpenedProject {
    QImage image;
    QList<Mark> marks;
};

// Reads and checks a project file; every failure is a ShotError, the file's
// and the decoder's failures with their own description. Only a regular file
// of a size a project can have is read, and only as far as it takes to find
// a limit passed.
OpenedProject readProject(const QString& path);

}  // namespace tavero
