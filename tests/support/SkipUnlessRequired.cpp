#include "tests/support/SkipUnlessRequired.h"

#include <QtGlobal>

namespace tavero::test {

bool everythingRequired() { return qEnvironmentVariableIntValue("TAVERO_TESTS_REQUIRE_ALL") == 1; }

}  // namespace tavero::test
