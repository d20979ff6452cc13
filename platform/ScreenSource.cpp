#include "platform/ScreenSource.h"

#include "platform/FakeScreenSource.h"
#include "platform/PlatformChoice.h"
#include "platform/X11ScreenSource.h"

namespace tavero {

Q_LOGGING_CATEGORY(lcScreen, "tavero.screen")

std::shared_ptr<ScreenSource> makeScreenSource() {
    return makeFakeOrX11<std::shared_ptr<ScreenSource>, FakeScreenSource, X11ScreenSource>(lcScreen(), "screen:");
}

}  // namespace tavero
