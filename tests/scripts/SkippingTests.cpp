// Run by SkipReportTest, never by CTest itself.
#include "tests/support/SkipUnlessRequired.h"

TEST(SkippingTests, WithoutItsServerItSkips) {
    TAVERO_SKIP_UNLESS_REQUIRED("no sound server here");
    ADD_FAILURE() << "ran past the skip";
}

TEST(SkippingTests, ItPasses) { SUCCEED(); }
