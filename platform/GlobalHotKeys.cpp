#include "platform/GlobalHotKeys.h"

#include "platform/FakeGlobalHotKeys.h"
#include "platform/X11GlobalHotKeys.h"

#include <QLoggingCategory>

#include <stdexcept>

namespace tavero {

Q_LOGGING_CATEGORY(lcHotKeys, "tavero.hotkeys")

std::unique_ptr<GlobalHotKeys> makeGlobalHotKeys() {
    if (qEnvironmentVariable("TAVERO_PLATFORM") == QLatin1String("fake")) return std::make_unique<FakeGlobalHotKeys>();
    try {
        return std::make_unique<X11GlobalHotKeys>();
    } catch (const std::runtime_error& error) {
        qCWarning(lcHotKeys) << "no global hot keys:" << error.what();
        return nullptr;
    }
}

}  // namespace tavero
