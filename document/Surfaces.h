#pragma once

#include <QImage>

namespace tavero::ImageOps {

// Whether a surface of this size stays within the limits.
bool withinLimits(qint64 width, qint64 height);

// A new transparent surface of a size computed in 64 bits, so sums and
// margins cannot wrap around before the limits refuse them.
QImage surfaceOf(qint64 width, qint64 height);

}  // namespace tavero::ImageOps
