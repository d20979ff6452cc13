#include "platform/ScreenSource.h"

#include "platform/FakeScreenSource.h"
#include "platform/X11ScreenSource.h"

#include <QLoggingCategory>

#include <stdexcept>

namespace tavero {

Q_LOGGING_CATEGORY(lcScreen, "tavero.screen")

std::shared_ptr<ScreenSource> makeScreenSource() {
    if (qEnvironmentVariable("TAVERO_PLATFORM") == QLatin1String("fake")) return std::make_shared<FakeScreenSource>();
    try {
        return std::make_shared<X11ScreenSource>();
    } catch (const std::runtime_error& error) {
        qCWarning(lcScreen) << "no X11 screen:" << error.what();
        return nullptr;
    }
}

}  // namespace tavero
