#include "document/ImageOps.h"
#include "selftests/CheckGroups.h"
#include "selftests/SelfTestRun.h"

namespace tavero::selftests {

void checkCaptureSizes(SelfTestRun& run) {
    run.check(ImageOps::capturePixelSize(QSizeF(1512, 982), 2) == QSize(3024, 1964),
              QStringLiteral("Retina screenshot uses physical pixels"));
    run.check(ImageOps::capturePixelSize(QSizeF(1920, 1080), 1) == QSize(1920, 1080),
              QStringLiteral("ordinary display keeps native resolution"));
    run.check(ImageOps::capturePixelSize(QSizeF(1920, 1080), 2) == QSize(3840, 2160),
              QStringLiteral("recording preserves 4K without 2560 width cap"));
}

}  // namespace tavero::selftests
