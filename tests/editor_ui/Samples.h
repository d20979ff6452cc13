#pragma once

#include <QDir>
#include <QTest>
#include <QPixmap>
#include <QString>
#include <QWidget>

namespace tavero::test {

// With TAVERO_SAMPLES naming a folder, writes a grab of `widget` there as
// `name`.png for a person to look at. Whether a sample was asked for.
inline bool writeSample(QWidget& widget, const QString& name) {
    const QString folder = qEnvironmentVariable("TAVERO_SAMPLES");
    if (folder.isEmpty()) return false;
    QDir().mkpath(folder);
    // Lets the layouts settle first.
    QTest::qWait(50);
    widget.grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
    return true;
}

inline bool samplesWanted() { return !qEnvironmentVariableIsEmpty("TAVERO_SAMPLES"); }

}  // namespace tavero::test
