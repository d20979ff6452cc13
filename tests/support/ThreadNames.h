#pragma once

#include <QString>
#include <QStringList>

namespace tavero::test {

// The names of this process's threads, as the system's tools show them.
QStringList threadNames();

// The calling thread's name.
QString nameOfThisThread();

}  // namespace tavero::test
