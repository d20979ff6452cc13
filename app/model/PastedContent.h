#pragma once

#include <QImage>
#include <QString>

class QMimeData;

namespace tavero {

// What paste finds on the clipboard, looked for in this order: a picture
// (encoded data of an image type, or a picture this program put there), a
// picture beyond the pixel limit, a local file, or nothing it can open.
// Plain value; read on the main thread, where the clipboard lives.
struct PastedContent {
    enum class Kind { picture, tooLarge, file, nothing };

    Kind kind = Kind::nothing;
    // The decoded picture, in the surface format.
    QImage picture;
    // The first local file among the clipboard's URLs.
    QString file;

    // Encoded pictures are measured from their header and refused before
    // any pixel is decoded.
    static PastedContent from(const QMimeData* data);
};

}  // namespace tavero
