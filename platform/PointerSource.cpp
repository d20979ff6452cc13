#include "platform/PointerSource.h"

#include "platform/FakePointerSource.h"
#include "platform/PlatformChoice.h"
#include "platform/X11PointerSource.h"

namespace tavero {

Q_LOGGING_CATEGORY(lcPointer, "tavero.pointer")

std::shared_ptr<PointerSource> makePointerSource() {
    return makeFakeOrX11<std::shared_ptr<PointerSource>, FakePointerSource, X11PointerSource>(lcPointer(), "pointer:");
}

}  // namespace tavero
