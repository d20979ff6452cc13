#include "tests/support/Announcements.h"

namespace tavero::test {

namespace {

// Debian's own Python, which has pyatspi.
const QString pythonPath = QStringLiteral("/usr/bin/python3");
constexpr int startMs = 10'000;

}  // namespace

Announcements::Announcements(const QProcessEnvironment& environment, qint64 processID) {
    listener_.setProcessEnvironment(environment);
    listener_.start(pythonPath, {QStringLiteral(TAVERO_ANNOUNCEMENTS_SCRIPT), QString::number(processID)});
    while (listener_.waitForReadyRead(startMs))
        if (listener_.canReadLine()) {
            listening_ = listener_.readLine().trimmed() == "listening";
            return;
        }
}

Announcements::~Announcements() {
    listener_.terminate();
    if (!listener_.waitForFinished(3000)) {
        listener_.kill();
        listener_.waitForFinished(3000);
    }
}

const QStringList& Announcements::heard() {
    while (listener_.canReadLine()) {
        const QString line = QString::fromUtf8(listener_.readLine()).chopped(1);
        if (line.startsWith(QLatin1String("said\t"))) heard_.append(line.mid(5));
    }
    return heard_;
}

}  // namespace tavero::test
