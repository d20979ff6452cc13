#include "library/EditableShot.h"

#include "document/ImageOps.h"
#include "library/LibraryMessages.h"
#include "library/ProjectParser.h"
#include "platform/ShotError.h"
#include "platform/files/FileNames.h"
#include "platform/files/RegularFileStream.h"

namespace tavero {

namespace messages = library::messages;

namespace {

[[noreturn]] void refuseProject() { throw ShotError(messages::unreadableProject()); }

bool withinPixelLimit(QSize size) {
    return size.width() > 0 && size.height() > 0 && qint64(size.width()) * size.height() <= ImageOps::maxPixels;
}

bool pictureWithinLimit(const QByteArray& png) {
    const auto size = ImageOps::encodedImageSize(png);
    return size && withinPixelLimit(*size);
}

// The marks as the reader takes them, their points on the grid, so that the
// bounds are checked on what it will measure.
QList<Mark> asRead(QList<Mark> marks) {
    for (Mark& mark : marks)
        for (QPointF& point : mark.points) point = onPointGrid(point);
    return marks;
}

}  // namespace

json::Json toJson(const EditableShot& shot) {
    json::Json marks = json::Json::array();
    for (const Mark& mark : shot.marks) marks.push_back(toJson(mark));
    json::Json object = json::Json::object();
    object["version"] = shot.version;
    object["png"] = json::bytesToJson(shot.png);
    object["marks"] = std::move(marks);
    return object;
}

EditableShot editableShotFromJson(const json::Json& value) { return parseProject(json::dump(value)); }

QByteArray encodeEditableShot(const EditableShot& shot) {
    const auto beyond = [] { return ShotError(messages::projectBeyondLimits()); };
    const EditableShot written{shot.version, shot.png, asRead(shot.marks)};
    if (!withinProjectLimits(written.marks) || !pictureWithinLimit(written.png)) throw beyond();
    QByteArray file = json::dump(toJson(written));
    if (file.size() > projectFile::largestFile) throw beyond();
    return file;
}

EditableShot decodeEditableShot(const QByteArray& bytes) { return parseProject(bytes); }

bool isProjectFile(const QString& path) { return suffixOf(path).compare(projectExtension, Qt::CaseInsensitive) == 0; }

QImage projectPicture(const EditableShot& shot) {
    if (!pictureWithinLimit(shot.png)) refuseProject();
    try {
        return ImageOps::decode(shot.png);
    } catch (const ShotError&) {
        refuseProject();
    }
}

// Read as it streams in, so that a project past a limit is refused without
// reading the rest.
OpenedProject readProject(const QString& path) {
    const auto cannotRead = [&path] { return ShotError(messages::cannotReadFile(fileNameOf(path))); };
    RegularFileStream file(path, projectFile::largestFile);
    if (!file.isOpen()) throw cannotRead();
    EditableShot shot;
    try {
        shot = parseProject(file);
    } catch (const json::DecodeError&) {
        if (file.failed()) throw cannotRead();
        throw ShotError(messages::dataNotReadable());
    }
    if (file.failed()) throw cannotRead();
    return {projectPicture(shot), std::move(shot.marks)};
}

}  // namespace tavero
