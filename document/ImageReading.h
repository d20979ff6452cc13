#pragma once

#include "document/ImageOps.h"

#include <QImageReader>
#include <QSize>

#include <mutex>

// What every decoder of the document library shares: the pixel limit checked
// from a header, and Qt's allocation allowance. Callable on any thread.
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

}  // namespace tavero::ImageOps
