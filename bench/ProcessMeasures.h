#pragma once

#include <QString>
#include <QStringList>

namespace tavero::bench {

// CPU seconds (user and system) used so far by `who`: RUSAGE_SELF for this
// process, RUSAGE_CHILDREN for the command lines it waited for.
double cpuSeconds(int who);
// Minor page faults so far of `who`, as for cpuSeconds(): pages the kernel
// mapped in (and cleared, for fresh memory) on first touch.
long long minorFaults(int who);

// Runs FFmpeg's command line quietly with `arguments`, overwriting its
// output; true when it ended normally with status 0.
bool runFfmpeg(const QStringList& arguments);

// A process's resident memory now ("VmRSS:") or at its peak ("VmHWM:", since
// it started or since resetPeak()), in bytes; 0 when it cannot be read.
qint64 statusBytes(const char* field, const QString& process = QStringLiteral("self"));
// Starts this process's peak resident memory again from what it holds now.
void resetPeak();

}  // namespace tavero::bench
