#include "library/EditableShot.h"

#include "document/ImageOps.h"
#include "library/LibraryMessages.h"
#include "platform/RegularFile.h"
#include "platform/ShotError.h"

#include <QFileInfo>

namespace tavero {

namespace messages = library::messages;

namespace {

// Beyond this a file is no project of ours; decoding it anyway could take
// the editor's memory or time without end. Each mark is held to markLimits.
constexpr size_t maxMarks = 10'000;

[[noreturn]] void refuseProject() { throw ShotError(messages::unreadableProject()); }

size_t pointCountOf(const json::Json& mark) {
    if (!mark.is_object()) return 0;
    const auto points = mark.find("points");
    return points != mark.end() && points->is_array() ? points->size() : 0;
}

// Counts the points before decoding any mark, so an oversized mark or a
// project with too many points is refused without building them.
void checkPointCounts(const json::Json& marks) {
    size_t total = 0;
    for (const json::Json& mark : marks) {
        const size_t points = pointCountOf(mark);
        total += points;
        if (points > size_t(markLimits::maxPoints) || total > size_t(markLimits::maxProjectPoints)) refuseProject();
    }
}

Mark plausibleMark(const json::Json& value) {
    Mark mark = markFromJson(value);
    if (!withinLimits(mark)) refuseProject();
    return mark;
}

bool withinPixelLimit(QSize size) {
    return size.width() > 0 && size.height() > 0 && qint64(size.width()) * size.height() <= ImageOps::maxPixels;
}

// The picture is at most maxPixels, stored by us as 8-bit RGBA PNG: about 4
// bytes a pixel even uncompressed, a third more as Base64, with room for the
// marks. A larger file, or anything but a regular file, is refused unread.
constexpr qint64 largestFile = ImageOps::maxPixels * 4 * 4 / 3 + (qint64(64) << 20);

QByteArray readWhole(const QString& path) {
    std::optional<QByteArray> bytes = readRegularFile(path, largestFile);
    if (!bytes) throw ShotError(messages::cannotReadFile(QFileInfo(path).fileName()));
    return std::move(*bytes);
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

EditableShot editableShotFromJson(const json::Json& value) {
    EditableShot shot;
    shot.version = json::requireInt(value, "version");
    shot.png = json::bytesFromJson(json::require(value, "png"));
    const json::Json& marks = json::requireArray(value, "marks");
    if (marks.size() > maxMarks) refuseProject();
    checkPointCounts(marks);
    shot.marks.reserve(qsizetype(marks.size()));
    for (const json::Json& mark : marks) shot.marks.append(plausibleMark(mark));
    if (!(strokeLength(shot.marks) <= markLimits::maxProjectStrokeLength)) refuseProject();
    return shot;
}

QByteArray encodeEditableShot(const EditableShot& shot) { return json::dump(toJson(shot)); }

EditableShot decodeEditableShot(const QByteArray& bytes) { return editableShotFromJson(json::parse(bytes)); }

bool isProjectFile(const QString& path) { return QFileInfo(path).suffix().toLower() == projectExtension; }

QImage projectPicture(const EditableShot& shot) {
    const auto size = ImageOps::encodedImageSize(shot.png);
    if (!size || !withinPixelLimit(*size)) refuseProject();
    try {
        return ImageOps::decode(shot.png);
    } catch (const ShotError&) {
        refuseProject();
    }
}

OpenedProject readProject(const QString& path) {
    const QByteArray bytes = readWhole(path);
    EditableShot shot;
    try {
        shot = decodeEditableShot(bytes);
    } catch (const json::DecodeError&) {
        throw ShotError(messages::dataNotReadable());
    }
    return {projectPicture(shot), std::move(shot.marks)};
}

}  // namespace tavero
