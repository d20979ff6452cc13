#include "app/model/OpenedFile.h"

#include "document/ImageOps.h"
#include "document/LabelSizes.h"
#include "library/EditableShot.h"
#include "platform/files/FileNames.h"

#include <QImageReader>

namespace tavero {

const QStringList OpenedFile::videoExtensions{QStringLiteral("mp4"), QStringLiteral("mov"), QStringLiteral("m4v"),
                                              QStringLiteral("mkv"), QStringLiteral("webm"), QStringLiteral("ts")};

QStringList OpenedFile::imageExtensions() {
    QStringList extensions;
    for (const QByteArray& format : QImageReader::supportedImageFormats())
        extensions.append(QString::fromLatin1(format).toLower());
    // libheif reads these beside Qt's own readers.
    extensions << QStringLiteral("heic") << QStringLiteral("heif");
    extensions.removeDuplicates();
    return extensions;
}

bool OpenedFile::isVideo(const QString& path) {
    return videoExtensions.contains(suffixOf(path).toLower());
}

OpenedFile OpenedFile::read(const QString& path) {
    if (isProjectFile(path)) {
        OpenedProject project = readProject(path);
        // Measured here, off the main thread, so that no click on the canvas waits for them.
        LabelSizes::shared().measure(project.marks);
        return {std::move(project.image), std::move(project.marks)};
    }
    return {ImageOps::load(path), {}};
}

}  // namespace tavero
