#pragma once

#include <QByteArray>
#include <QString>

namespace tavero::test {

// Writes `bytes` to `path`, making its folder; a failure fails the test.
void writeFile(const QString& path, const QByteArray& bytes);
// The file's bytes; empty when it cannot be read.
QByteArray readFile(const QString& path);

}  // namespace tavero::test
