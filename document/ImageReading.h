#pragma once

#include "document/ImageOps.h"
#include "platform/RegularFile.h"

#include <QFile>
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

// Qt refuses images above 128 MB by default; ours may reach 160 MB. The pixel
// limit is checked from the header before this allowance matters.
inline void allowLargestImages() {
    static std::once_flag once;
    std::call_once(once, [] { QImageReader::setAllocationLimit(256); });
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

}  // namespace tavero::ImageOps
