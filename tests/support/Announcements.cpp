#include "tests/support/Announcements.h"

namespace tavero::test {

Announcements::Announcements(const QProcessEnvironment& environment, qint64 processID)
    : listener_(environment, {QStringLiteral("said"), QString::number(processID)}) {}

const QStringList& Announcements::heard() {
    for (const QString& line : listener_.lines())
        if (line.startsWith(QLatin1String("said\t"))) heard_.append(line.mid(5));
    return heard_;
}

}  // namespace tavero::test
