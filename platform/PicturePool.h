#pragma once

#include <QImage>
#include <QSize>

#include <memory>

namespace tavero {

// Picture memory that lives as long as a take, not as long as a picture. A
// picture taken from the pool gives its memory back when its last copy is
// gone, and a later picture reuses it: each large block would otherwise be a
// mapping of its own (see LargeBlocks.h), whose pages the system clears
// again on first touch, dozens of times a second. The pool keeps as many
// free blocks as its user holds pictures at once (keep()); they go back to
// the system with the pool, or with their picture when the pool is gone.
// Any thread.
class PicturePool {
public:
    explicit PicturePool(int kept = 2);
    ~PicturePool();
    PicturePool(const PicturePool&) = delete;
    PicturePool& operator=(const PicturePool&) = delete;

    // Free blocks kept at most from now on.
    void keep(int blocks);

    // A picture of `size` in `format` (four bytes a pixel) whose pixels are
    // undefined; null when there is no memory for it.
    QImage take(QSize size, QImage::Format format = QImage::Format_RGB32);

private:
    struct Blocks;
    std::shared_ptr<Blocks> blocks_;
};

}  // namespace tavero
