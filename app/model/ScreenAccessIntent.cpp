#include "app/model/ScreenAccessIntent.h"

namespace tavero {

ScreenAccessIntent ScreenAccessIntent::screenshot(CaptureMode mode, bool scrolling) {
    return {Screenshot{mode, scrolling}};
}

ScreenAccessIntent ScreenAccessIntent::recording(bool preferRegion) { return {Recording{preferRegion}}; }

QString ScreenAccessIntent::id() const {
    return std::holds_alternative<Screenshot>(action) ? QStringLiteral("截图") : QStringLiteral("录屏");
}

}  // namespace tavero
