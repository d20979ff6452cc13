#include "recording/RecordingPhase.h"

namespace tavero {

QString RecordingPhase::pauseTitle() const {
    switch (kind_) {
    case Kind::pausing: return QStringLiteral("暂停中…");
    case Kind::paused: return QStringLiteral("继续录制");
    case Kind::resuming: return QStringLiteral("继续中…");
    default: return QStringLiteral("暂停");
    }
}

}  // namespace tavero
