#pragma once

#include <QImage>
#include <QSize>

#include <memory>

namespace tavero {

class ReusedMemory;

// Picture memory that lives as long as a take, not as long as a picture
// (see ReusedMemory). A picture taken from the pool gives its memory back
// when its last copy is gone, and a later picture reuses it. The pool keeps
// as many free blocks as its user holds pictures at once (keep()); they go
// back to the system with the pool, or with their picture when the pool is
// gone. Any thread.
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
    std::shared_ptr<ReusedMemory> memory_;
};

}  // namespace tavero
