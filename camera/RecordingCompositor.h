#pragma once

#include "camera/CameraPose.h"
#include "camera/RecordingEffects.h"
#include "document/ImageFilters.h"

#include <QImage>
#include <QList>
#include <QRect>
#include <QRectF>
#include <QSize>

#include <deque>

namespace tavero {

// Draws the frames of the smart-camera look: the source cropped and scaled to
// the camera pose (the zoom) and, with the framed look on, set into a larger
// canvas over a blurred backdrop, inside a rounded frame with a soft shadow.
//
// One compositor serves every frame of one source size and one set of
// effects: the frame's mask and shadow (and the whole backdrop, when a still
// is given for it) are made once, when it is built. After that it is
// immutable, so any number of threads may call frame() at the same time.
class RecordingCompositor {
public:
    // The pixel format of every frame it returns: opaque, four bytes per
    // pixel, blue first in memory, as the video converters read it.
    static constexpr QImage::Format frameFormat = QImage::Format_RGB32;

    // The memory one caller's frames reuse: the framed look's backdrop,
    // reduced and blurred again for every frame. One thread at a time.
    struct Scratch {
        // The source halved again and again (a deque: each half is read
        // while the next is added).
        std::deque<QImage> halves;
        QImage blurred;
        ImageOps::filters::BlurMemory blur;
    };

    // `background`, when not null, is the backdrop of every frame (a still
    // taken when the recording started); otherwise each frame's backdrop is
    // its own source picture. Only `backgroundBlur`, `padding` and `blur` of
    // the effects count; the zoom comes from the poses.
    RecordingCompositor(const QSize& sourceSize, const RecordingEffects& effects, const QImage& background = {});

    QSize sourceSize() const { return sourceSize_; }
    QSize outputSize() const { return outputSize_; }

    // One frame of outputSize() in frameFormat. A source of another size
    // than sourceSize() is stretched to it first; a null source gives a null
    // frame.
    QImage frame(const QImage& source, const CameraPose& pose) const;
    // The same for a source that is not null, drawn into `canvas` (of
    // outputSize() in frameFormat) with `scratch`'s memory: a take's frames
    // need no fresh memory.
    void frameInto(const QImage& source, const CameraPose& pose, QImage& canvas, Scratch& scratch) const;

    // The width of the border around the picture: 0 without the framed look,
    // otherwise always even.
    static int inset(const QSize& size, const RecordingEffects& effects);
    // The size of the composed frame: the source grown by the border.
    static QSize outputSize(const QSize& size, const RecordingEffects& effects);

    // A still made ready to serve as the backdrop of a recording: reduced to
    // at most 1280 pixels wide (never enlarged) and blurred. Null for a null
    // still.
    static QImage backgroundSnapshot(const QImage& still);

private:
    // Which part of `image` the pose shows, in the image's own pixels.
    QRectF visiblePart(const QImage& image, const CameraPose& pose) const;
    void compose(const QImage& picture, const QRectF& from, QImage& canvas, Scratch& scratch) const;
    void paintBackdrop(const QImage& picture, QImage& canvas, const QList<QRect>& areas, Scratch& scratch) const;
    // The zoomed picture, its frame placed at `origin` of `target`, painted
    // inside `area` only.
    void paintPicture(const QImage& source, const QRectF& from, QImage& canvas, const QRect& area) const;
    void paintPictureAt(const QImage& source, const QRectF& from, QImage& target, const QPoint& origin,
                        const QRect& area) const;
    void blendCorners(const QImage& source, const QRectF& from, QImage& canvas) const;
    void darkenUnderShadow(QImage& canvas, const QRect& area) const;

    QSize sourceSize_;
    QSize outputSize_;
    bool framed_ = false;
    int inset_ = 0;
    double backdropSigma_ = 0;

    // Coverage of the rounded frame and what the shadow leaves of the
    // backdrop (255 = untouched), both over the whole canvas.
    QImage mask_;
    QImage shadowKeep_;
    // Where the shadow reaches: shadowKeep_ is 255 everywhere else.
    QRect shadowReach_;
    // The canvas outside the frame: four strips, the frame's corner squares
    // inside the top and bottom ones.
    QList<QRect> border_;
    // The frame's inside without its corner squares, which are blended.
    QList<QRect> inside_;
    QList<QRect> corners_;
    // The finished backdrop with its shadow, when a still was given.
    QImage fixedBackdrop_;
};

}  // namespace tavero
