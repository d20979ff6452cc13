#include "platform/desktop/ScreenSource.h"

#include "platform/desktop/FakeScreenSource.h"
#include "platform/desktop/PlatformChoice.h"
#include "platform/desktop/X11ScreenSource.h"

namespace tavero {

Q_LOGGING_CATEGORY(lcScreen, "tavero.screen")

std::shared_ptr<ScreenSource> makeScreenSource() {
    return makeFakeOrX11<std::shared_ptr<ScreenSource>, FakeScreenSource, X11ScreenSource>(lcScreen(), "screen:");
}

}  // namespace tavero
