#pragma once

#include <cstdio>
#include <vector>

namespace tavero::selftests {

class SelfTestRun;

// A group of checks, run in order; the first failed check or error ends it.
using CheckGroup = void (*)(SelfTestRun&);

// Every check group of "--self-test", in run order.
const std::vector<CheckGroup>& selfTestGroups();

// Runs `groups` in a new work folder below the temporary folder, printing
// "PASS: " lines and the closing "ALL n TESTS PASSED" to `out`, or the one
// failure line to `err`. Removes the work folder either way. Returns the
// exit status: 0 when every check passed, 1 otherwise.
int runSelfTestGroups(const std::vector<CheckGroup>& groups, std::FILE* out, std::FILE* err);

// The "--self-test" switch: runs every group headless on the main thread and
// ends the process with the suite's status; never returns.
[[noreturn]] void runSelfTests(int argc, char** argv);

}  // namespace tavero::selftests
