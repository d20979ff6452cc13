#include "platform/sound/MediaBackend.h"

#include <QByteArray>

namespace tavero {

void chooseMediaBackend() { qputenv("QT_MEDIA_BACKEND", "ffmpeg"); }

}  // namespace tavero
