#include "platform/desktop/ScreenContent.h"

namespace tavero {

quint32 displayIdentifier(const QString& name) {
    // FNV-1a over the UTF-8 name: the same monitor keeps its number across
    // launches, so a stored area finds its display again.
    quint32 hash = 2166136261u;
    for (const char byte : name.toUtf8()) {
        hash ^= quint8(byte);
        hash *= 16777619u;
    }
    return hash == 0 ? 1 : hash;
}

}  // namespace tavero
