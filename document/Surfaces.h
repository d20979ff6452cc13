#pragma once

#include <QImage>

namespace tavero::ImageOps {

// A new transparent surface of a size computed in 64 bits, so sums and
// margins cannot wrap around before the limits refuse them.
QImage surfaceOf(qint64 width, qint64 height);

}  // namespace tavero::ImageOps
