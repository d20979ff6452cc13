#include "platform/desktop/PlatformChoice.h"

namespace tavero {

bool fakePlatformChosen() { return qEnvironmentVariable("TAVERO_PLATFORM") == QLatin1String("fake"); }

}  // namespace tavero
