#include "platform/desktop/GlobalHotKeys.h"

#include "platform/desktop/FakeGlobalHotKeys.h"
#include "platform/desktop/PlatformChoice.h"
#include "platform/desktop/X11GlobalHotKeys.h"

namespace tavero {

Q_LOGGING_CATEGORY(lcHotKeys, "tavero.hotkeys")

std::unique_ptr<GlobalHotKeys> makeGlobalHotKeys() {
    return makeFakeOrX11<std::unique_ptr<GlobalHotKeys>, FakeGlobalHotKeys, X11GlobalHotKeys>(lcHotKeys(),
                                                                                           "global hot keys:");
}

}  // namespace tavero
