#include "bench/ProcessMeasures.h"

#include <QFile>
#include <QProcess>

#include <sys/resource.h>

namespace tavero::bench {

double cpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long long minorFaults(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_minflt;
}

bool runFfmpeg(const QStringList& arguments) {
    QProcess tool;
    tool.start(QStringLiteral("ffmpeg"), QStringList{QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"),
                                                     QStringLiteral("error"), QStringLiteral("-nostdin"),
                                                     QStringLiteral("-y")} +
                                             arguments);
    return tool.waitForFinished(-1) && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
}

qint64 statusBytes(const char* field, const QString& process) {
    QFile status(QStringLiteral("/proc/%1/status").arg(process));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qsizetype(qstrlen(field))).trimmed().split(' ').value(0).toLongLong() * 1024;
    return 0;
}

void resetPeak() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly)) clear.write("5");
}

}  // namespace tavero::bench
