#pragma once

#include "tests/support/ScreenReader.h"
#include "tests/support/SkipUnlessRequired.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace tavero::test {

// The real program in a temporary home, read by a screen reader of the
// test's own; killed when the test ends, skipped where no reader runs.
class ProgramUnderScreenReader : public testing::Test {
protected:
    static inline const QString pushButton = QStringLiteral("push button");
    static inline const QString press = QStringLiteral("Press");

    void SetUp() override {
        if (reader.unavailable()) TAVERO_SKIP_UNLESS_REQUIRED(reader.unavailable()->toStdString());
    }

    void TearDown() override {
        program.kill();
        program.waitForFinished(5000);
    }

    // The program with `arguments` and the `extra` environment, once the
    // reader reads it.
    void start(const QStringList& arguments, const QProcessEnvironment& extra = {}) {
        QProcessEnvironment environment = reader.environment();
        environment.insert(extra);
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(TAVERO_EXECUTABLE), arguments);
        ASSERT_TRUE(program.waitForStarted(5000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return reader.attach(program.processId()); }, 60'000));
    }

    // Waits for what the program does, however busy the machine.
    static bool within(const std::function<bool()>& condition, int waitMs = 60'000) {
        return QTest::qWaitFor(condition, waitMs);
    }
    bool statusSays(const QString& line) { return reader.shows(QStringLiteral("filler"), line); }
    QString library() const { return home.desktop() + QStringLiteral("/岚帧"); }
    // The paths of the library's files named like `pattern`.
    QStringList inLibrary(const QString& pattern) const {
        const QDir folder(library());
        QStringList paths;
        for (const QString& name : folder.entryList({pattern}, QDir::Files)) paths.append(folder.filePath(name));
        return paths;
    }

    TempHome home;
    ScreenReader reader;
    QProcess program;
};

}  // namespace tavero::test
