#pragma once

#include "document/ImageOps.h"

#include <QImage>

#include <opencv2/core.hpp>

// OpenCV views over the bits of a QImage, for the filters of this folder.
// Included only by document/ sources: OpenCV is a private dependency.
namespace tavero::ImageOps::pixels {

// A matrix over the image's own bits, no copy. Surface images have four
// channels; Alpha8 and Grayscale8 images have one.
inline cv::Mat view(QImage& image) {
    const int type = image.depth() == 8 ? CV_8UC1 : CV_8UC4;
    return cv::Mat(image.height(), image.width(), type, image.bits(), size_t(image.bytesPerLine()));
}

// Read-only view; constBits() keeps a shared image from detaching.
inline cv::Mat constView(const QImage& image) {
    const int type = image.depth() == 8 ? CV_8UC1 : CV_8UC4;
    return cv::Mat(image.height(), image.width(), type, const_cast<uchar*>(image.constBits()),
                   size_t(image.bytesPerLine()));
}

// `image` in the surface format, shared when it already is.
inline QImage inSurfaceFormat(const QImage& image) {
    return image.format() == surfaceFormat ? image : image.convertToFormat(surfaceFormat);
}

}  // namespace tavero::ImageOps::pixels
