#pragma once

#include "document/Mark.h"

#include <QImage>
#include <QList>
#include <QSize>

namespace tavero {

// The reduced picture with its marks as the canvas last painted it, so that
// repaints which change no mark (drawing a new one, panning, selecting,
// typing into a label the inline field shows) copy it instead of drawing
// every mark again. Holds one picture; storing another replaces it.
// Main thread only, like the canvas that owns it.
class AnnotatedPictureCache {
public:
    // What a cached picture shows.
    struct Key {
        qint64 image = 0;  // QImage::cacheKey() of the unannotated picture
        QSize size;        // in device pixels
        QList<Mark> marks;

        friend bool operator==(const Key&, const Key&) = default;
    };

    // The picture painted for `key`, or none when it shows something else.
    const QImage* find(const Key& key) const;
    const QImage& store(Key key, QImage picture);

private:
    Key key_;
    QImage picture_;
};

}  // namespace tavero
