#include "platform/desktop/FakeGlobalHotKeys.h"

#include <algorithm>

namespace tavero {

bool FakeGlobalHotKeys::grab(quint32 identifier, QChar key, Qt::KeyboardModifiers modifiers) {
    if (occupied_.contains(key.toUpper())) return false;
    grabs_.append({identifier, key, modifiers});
    return true;
}

void FakeGlobalHotKeys::press(quint32 identifier) {
    const bool taken =
        std::any_of(grabs_.cbegin(), grabs_.cend(), [&](const Grab& grab) { return grab.identifier == identifier; });
    if (taken && pressed_) pressed_(identifier);
}

}  // namespace tavero
