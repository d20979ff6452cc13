#include "platform/desktop/PointerSource.h"

#include "platform/desktop/FakePointerSource.h"
#include "platform/desktop/PlatformChoice.h"
#include "platform/desktop/X11PointerSource.h"

namespace tavero {

Q_LOGGING_CATEGORY(lcPointer, "tavero.pointer")

std::shared_ptr<PointerSource> makePointerSource() {
    return makeFakeOrX11<std::shared_ptr<PointerSource>, FakePointerSource, X11PointerSource>(lcPointer(), "pointer:");
}

}  // namespace tavero
