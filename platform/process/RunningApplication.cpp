#include "platform/process/RunningApplication.h"

#include <QFile>

namespace tavero {

std::optional<RunningApplication> RunningApplication::withProcessID(qint64 processID) {
    if (processID <= 0) return std::nullopt;
    const QString folder = QStringLiteral("/proc/%1").arg(processID);
    QFile command(folder + QStringLiteral("/comm"));
    if (!command.open(QIODevice::ReadOnly)) return std::nullopt;
    return RunningApplication{processID, QString::fromUtf8(command.readAll()).trimmed()};
}

}  // namespace tavero
