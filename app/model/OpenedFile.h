#pragma once

#include "document/Mark.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

namespace tavero {

// A picture read from a file the user opened: an image, or an editable
// project with its marks. Also tells the kinds of files apart by extension.
// Plain value; read() runs on any thread.
struct OpenedFile {
    QImage image;
    QList<Mark> marks;

    // The videos the workspace plays, by the containers it reads: MP4 and
    // QuickTime ("mp4", "mov", "m4v"), Matroska and WebM ("mkv", "webm") and
    // MPEG-TS ("ts"), the ones its refusal of any other container names.
    static const QStringList videoExtensions;
    // The extensions of every picture the program decodes.
    static QStringList imageExtensions();

    // True for a video extension in any case.
    static bool isVideo(const QString& path);
    // A project file (extension "vistagon" in any case) with its marks, or any
    // other file as an image without marks; refused beyond the pixel limit
    // before decoding; a project's labels are measured (LabelSizes) before it
    // is handed on. Throws the ShotError of the project or of the image.
    static OpenedFile read(const QString& path);
};

}  // namespace tavero
