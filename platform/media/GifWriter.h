#pragma once

#include "platform/media/CancelToken.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <memory>

namespace tavero::media {

// Writes an animated GIF that loops for ever, its pictures evenly timed.
// One palette serves the whole animation: made from all its pictures
// (palettegen), which are then mapped onto it with dithering (paletteuse),
// the finest GIF of screen content. The palette needs every picture before
// the first can be coded, so the pictures wait in memory until finish(),
// which maps them on several threads of its own.
// GIF counts time in hundredths of a second: each picture starts at its own
// time rounded to the nearest hundredth (at 8 a second, shown for 0.13 s and
// 0.12 s in turn). One thread at a time.
class GifWriter {
public:
    // Creates `path` for pictures of `size`, `rate` of them a second. Throws
    // MediaError.
    GifWriter(const QString& path, QSize size, int rate, const CancelToken& cancel);
    ~GifWriter();
    GifWriter(const GifWriter&) = delete;
    GifWriter& operator=(const GifWriter&) = delete;

    // The next picture, RGB32 of the writer's size. Throws MediaError, also
    // once `cancel` is cancelled.
    void add(const QImage& picture);
    // Makes the palette, codes every picture and completes the file. Throws
    // MediaError.
    void finish();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// While one lives, every GifWriter finishing leaves its last picture out, as
// a coder that lost one would: a test can see that the GIF is read back
// before it is published. Install it before the writing starts.
class ScopedGifPictureLoss {
public:
    ScopedGifPictureLoss();
    ~ScopedGifPictureLoss();
    ScopedGifPictureLoss(const ScopedGifPictureLoss&) = delete;
    ScopedGifPictureLoss& operator=(const ScopedGifPictureLoss&) = delete;
};

}  // namespace tavero::media
