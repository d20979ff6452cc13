#pragma once

#include "platform/media/CancelToken.h"

#include <QSize>
#include <QString>

namespace tavero::media {

// What a GIF file holds, read back from its blocks without decoding them:
// the size of its pictures and how many there are.
struct GifShape {
    QSize size;
    int pictures = 0;
};

// Reads `path` as a GIF. Throws MediaError when it is none, or cannot be read.
GifShape readGifShape(const QString& path, const CancelToken& cancel);

}  // namespace tavero::media
