#include "bench/ProcessTimes.h"

#include <QProcess>

#include <sys/resource.h>

namespace tavero::bench {

double cpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

bool runFfmpeg(const QStringList& arguments) {
    QProcess tool;
    tool.start(QStringLiteral("ffmpeg"), QStringList{QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"),
                                                     QStringLiteral("error"), QStringLiteral("-nostdin"),
                                                     QStringLiteral("-y")} +
                                             arguments);
    return tool.waitForFinished(-1) && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
}

}  // namespace tavero::bench
