#pragma once

#include "document/ImageOps.h"
#include "platform/files/RegularFile.h"

#include <QFile>
#include <QIODevice>
#include <QImageReader>
#include <QSize>

#include <mutex>

// What every decoder of the document library shares: the pixel limit checked
// from a header, Qt's allocation allowance and the files a picture is read
// from. Callable on any thread.
namespace tavero::ImageOps {

inline bool withinPixelLimit(QSize size) {
    return size.isValid() && size.width() > 0 && size.height() > 0 && qint64(size.width()) * size.height() <= maxPixels;
}

// What Qt's readers may allocate for one picture: `maxPixels` at 8 bytes a
// pixel, the widest form they decode our formats to (16-bit PNG). A container
// whose header understates its picture cannot make a reader take more; what
// a reader decodes within it is measured again afterwards.
inline constexpr int allocationLimitMiB = int((maxPixels * 8 + (1 << 20) - 1) >> 20);

inline void allowLargestImages() {
    static std::once_flag once;
    std::call_once(once, [] { QImageReader::setAllocationLimit(allocationLimitMiB); });
}

// No picture within the pixel limit needs a larger file in a format we read
// (16-bit RGBA without compression takes 320 MB).
inline constexpr qint64 largestFile = qint64(1) << 30;

// Opens a picture file: a regular file within largestFile, so a FIFO or a
// device never blocks a decoder or floods it. False leaves `file` closed.
inline bool openPictureFile(QFile& file, const QString& path) {
    if (!openRegularFile(file, path)) return false;
    if (file.size() <= largestFile) return true;
    file.close();
    return false;
}

// `size` shrunk to fit `longerSide` on its longer side; each side at least 1.
QSize fittedSize(QSize size, int longerSide);

// Decodes the image at the start of `device` with Qt's readers, PNG text
// chunks beyond pngTextAllowance left out. Throws PictureTooLarge for a
// picture beyond the pixel limit, by its header or by its decoded size. With
// `fit` above 0, a reader that can decode at a reduced size (JPEG) makes the
// picture at most `fit` pixels on its longer side. A null image when the data
// is no readable image.
QImage readWithQt(QIODevice& device, int fit = 0);

}  // namespace tavero::ImageOps
