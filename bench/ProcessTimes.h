#pragma once

#include <QStringList>

namespace tavero::bench {

// CPU seconds (user and system) used so far by `who`: RUSAGE_SELF for this
// process, RUSAGE_CHILDREN for the command lines it waited for.
double cpuSeconds(int who);

// Runs FFmpeg's command line quietly with `arguments`, overwriting its
// output; true when it ended normally with status 0.
bool runFfmpeg(const QStringList& arguments);

}  // namespace tavero::bench
