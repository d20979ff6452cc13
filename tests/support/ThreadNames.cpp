#include "tests/support/ThreadNames.h"

#include <QDir>
#include <QFile>

#include <pthread.h>

namespace tavero::test {

QStringList threadNames() {
    QStringList names;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile name(tasks.filePath(task) + QStringLiteral("/comm"));
        if (name.open(QIODevice::ReadOnly)) names << QString::fromUtf8(name.readAll().trimmed());
    }
    return names;
}

QString nameOfThisThread() {
    char name[16] = {};
    pthread_getname_np(pthread_self(), name, sizeof name);
    return QString::fromUtf8(name);
}

}  // namespace tavero::test
