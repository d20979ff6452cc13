#include "platform/desktop/OwnWindows.h"

#include <mutex>

namespace tavero::OwnWindows {

namespace {

struct Registry {
    std::mutex lock;
    QList<quint32> windows;
};

Registry& registry() {
    static Registry shared;
    return shared;
}

}  // namespace

void add(quint32 window) {
    Registry& windows = registry();
    std::lock_guard guard(windows.lock);
    if (!windows.windows.contains(window)) windows.windows.append(window);
}

void remove(quint32 window) {
    Registry& windows = registry();
    std::lock_guard guard(windows.lock);
    windows.windows.removeAll(window);
}

QList<quint32> list() {
    Registry& windows = registry();
    std::lock_guard guard(windows.lock);
    return windows.windows;
}

}  // namespace tavero::OwnWindows
