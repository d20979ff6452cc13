#pragma once

#include "platform/media/MediaHandles.h"

#include <QImage>
#include <QSize>

namespace tavero::media {

// Pictures turned into 4:2:0 of one size with libyuv's BT.601 limited-range
// matrix, the coding our encoders take. A picture of another size is fitted
// in, its aspect kept, on black. One thread at a time.
class PictureConverter {
public:
    // `size` is even in both directions.
    explicit PictureConverter(QSize size);

    QSize size() const { return size_; }

    // A 4:2:0 frame of size(), tagged with the matrix and range we convert to.
    // Throws MediaError.
    Frame makeFrame() const;
    // Writes `picture` (RGB32 or ARGB32, converted otherwise) into `frame`, a
    // frame made by makeFrame(); its memory is made writable first, so a
    // frame an encoder still refers to is not overwritten. Throws MediaError.
    void convert(const QImage& picture, AVFrame& frame);

private:
    const QImage& fitted(const QImage& picture);

    QSize size_;
    QImage canvas_;
};

}  // namespace tavero::media
