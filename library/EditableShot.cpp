#include "library/EditableShot.h"

#include "document/ImageOps.h"
#include "library/LibraryMessages.h"
#include "library/ProjectParser.h"
#include "platform/ShotError.h"
#include "platform/files/RegularFileStream.h"

namespace tavero {

namespace messages = library::messages;

namespace {

[[noreturn]] void refuseProject() { throw ShotError(messages::unreadableProject()); }

QStringView fileNameOf(const QString& path) { return QStringView(path).mid(path.lastIndexOf(QLatin1Char('/')) + 1); }

bool withinPixelLimit(QSize size) {
    return size.width() > 0 && size.height() > 0 && qint64(size.width()) * size.height() <= ImageOps::maxPixels;
}

bool pictureWithinLimit(const QByteArray& png) {
    const auto size = ImageOps::encodedImageSize(png);
    return size && withinPixelLimit(*size);
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
    if (!withinProjectLimits(shot.marks) || !pictureWithinLimit(shot.png)) throw beyond();
    QByteArray file = json::dump(toJson(shot));
    if (file.size() > projectFile::largestFile) throw beyond();
    return file;
}

EditableShot decodeEditableShot(const QByteArray& bytes) { return parseProject(bytes); }

// Taken apart by hand: QFileInfo mistakes the parts of a name longer than
// 32,767 characters, and such a name is still refused as a project's.
bool isProjectFile(const QString& path) {
    const QStringView name = fileNameOf(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot >= 0 && name.mid(dot + 1).compare(projectExtension, Qt::CaseInsensitive) == 0;
}

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
    const auto cannotRead = [&path] { return ShotError(messages::cannotReadFile(fileNameOf(path).toString())); };
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
