#pragma once

#include <QImage>
#include <QList>

namespace tavero {

// The long image of a scrolling screenshot as it grows: the first frame
// and, below it, the new rows of every joined frame. For the opaque frames
// of a screen, joining gives exactly what ImageOps::combine(composite,
// frame, vertical, overlap) gives, but keeps only the new rows instead of
// copying the whole image at every frame; the one image is assembled once,
// at the end. A plain value: copies share their strips, so a comparison on
// another thread may hold one.
class ScrollComposite {
public:
    ScrollComposite() = default;
    explicit ScrollComposite(const QImage& first);

    bool isNull() const { return strips_.isEmpty(); }
    int width() const { return width_; }
    int height() const { return height_; }

    // This composite with `frame` joined below it, the composite winning the
    // `overlap` rows they share (clamped as combine clamps it). Throws the
    // size sentence when the result would be beyond the image limits.
    ScrollComposite joined(const QImage& frame, int overlap) const;

    // The long image, in ImageOps::surfaceFormat; white where a narrower
    // strip leaves room. Throws the size sentence beyond the limits.
    QImage image() const;

private:
    QList<QImage> strips_;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace tavero
