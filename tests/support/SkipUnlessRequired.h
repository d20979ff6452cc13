#pragma once

#include <gtest/gtest.h>

namespace tavero::test {

// Whether this run must run every test a fully set-up machine can run:
// scripts/test.sh asks for it (TAVERO_TESTS_REQUIRE_ALL=1) as root, having
// installed every package the tests use. A PulseAudio server, a session bus
// with the accessibility bus and pyatspi, the right to mount and room on disk
// are then no reason to skip.
bool everythingRequired();

}  // namespace tavero::test

// Skips the test for `reason`, or fails it for that reason when the run
// requires every test (above). Only for what a set-up machine gives; what no
// run can promise (a camera, a second monitor on a display with one, a window
// manager on a run without) stays a plain GTEST_SKIP. Like GTEST_SKIP, it
// returns from the function it stands in:
//
//     if (!sound.running()) TAVERO_SKIP_UNLESS_REQUIRED("no PulseAudio server could be started");
#define TAVERO_SKIP_UNLESS_REQUIRED(reason)                                                          \
    do {                                                                                             \
        if (::tavero::test::everythingRequired())                                                    \
            GTEST_FAIL() << (reason) << " (this run may skip no test: TAVERO_TESTS_REQUIRE_ALL=1)"; \
        else                                                                                         \
            GTEST_SKIP() << (reason);                                                                \
    } while (false)
