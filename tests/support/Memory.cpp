#include "tests/support/Memory.h"

#include <algorithm>
#include <fstream>
#include <string>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tavero::test {

namespace {
long long residentBytes() {
    std::ifstream statm("/proc/self/statm");
    long long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}
}  // namespace

long long peakMemoryGrowth(const std::function<void()>& work) {
    const long long before = residentBytes();
    const pid_t child = fork();
    if (child == 0) {
        // Whatever `work` throws ends the child, not the tests after it.
        try {
            work();
        } catch (...) {
            _exit(1);
        }
        _exit(0);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    // The child counts only the inherited pages it touches, so its peak can
    // lie below what the parent held.
    return std::max(usage.ru_maxrss * 1024LL - before, 0LL);
}

long long grabSegmentBytes() {
    std::ifstream maps("/proc/self/maps");
    if (!maps) return -1;
    long long bytes = 0;
    for (std::string line; std::getline(maps, line);) {
        if (line.find("memfd:tavero-grab") == std::string::npos) continue;
        const size_t dash = line.find('-');
        bytes += std::stoll(line.substr(dash + 1), nullptr, 16) - std::stoll(line.substr(0, dash), nullptr, 16);
    }
    return bytes;
}

long long minorFaults() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

}  // namespace tavero::test
