#include "recording/RecordingScope.h"

namespace tavero {

QString rawValue(RecordingScope scope) {
    switch (scope) {
    case RecordingScope::window: return QStringLiteral("窗口");
    case RecordingScope::area: return QStringLiteral("区域");
    case RecordingScope::display: return QStringLiteral("全屏");
    case RecordingScope::camera: return QStringLiteral("只录人像");
    }
    return {};
}

std::optional<RecordingScope> recordingScopeFromRaw(const QString& raw) {
    for (RecordingScope scope : allRecordingScopes)
        if (rawValue(scope) == raw) return scope;
    return std::nullopt;
}

}  // namespace tavero
