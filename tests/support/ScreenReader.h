#pragma once

#include "tests/support/TempDir.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

namespace tavero::test {

// A program as a screen reader meets it, through AT-SPI: a session bus of
// the test's own with the accessibility bus in it, programs started with
// environment() joining it with their accessibility on, and a reader
// (tests/support/screen_reader.py, pyatspi) that finds their shown controls
// by role and name and calls the controls' own actions, not the mouse.
//
// Roles are AT-SPI's names ("push button", "radio button", "check box").
// Every question answers at once; tests wait with QTest::qWaitFor. Main thread.
class ScreenReader {
public:
    ScreenReader();
    ~ScreenReader();
    ScreenReader(const ScreenReader&) = delete;
    ScreenReader& operator=(const ScreenReader&) = delete;

    // Why the buses or the reader cannot run here; none when they run. A
    // test then says TAVERO_SKIP_UNLESS_REQUIRED with it (SkipUnlessRequired.h).
    const std::optional<QString>& unavailable() const { return unavailable_; }
    // The environment of a program the reader can read; it finds the
    // accessibility bus through the session bus, as Qt does.
    QProcessEnvironment environment() const;
    // The environment of another listener on the bus (EventListener.h): the
    // accessibility bus is named outright, since Atspi would first read the
    // address a launcher leaves on the display, stale once that launcher was
    // killed. Qt 6.4 does not register a program given the address so.
    QProcessEnvironment listenerEnvironment() const;

    // Reads the program `processID` from now on, once it is on the bus.
    bool attach(qint64 processID);
    // The states ("checked", "showing", ...) of the first shown control with
    // this role and name; none when no such control is shown.
    std::optional<QStringList> states(const QString& role, const QString& name);
    bool shows(const QString& role, const QString& name) { return states(role, name).has_value(); }
    // Whether the first shown control with this role and name is in `state`.
    bool has(const QString& role, const QString& name, const QString& state) {
        return states(role, name).value_or(QStringList()).contains(state);
    }
    bool checked(const QString& role, const QString& name);
    // Calls the control's action named `action` ("Press", "Toggle").
    bool act(const QString& role, const QString& name, const QString& action);
    // Presses the control if it is enabled; whether it did.
    bool pressEnabled(const QString& role, const QString& name);
    std::optional<QSize> size(const QString& role, const QString& name);
    // What a slider reads: its value, range and step, in the unit it gives.
    struct Reading {
        double value = 0;
        double minimum = 0;
        double maximum = 0;
        double step = 0;
    };
    std::optional<Reading> reading(const QString& role, const QString& name);
    // What the control says besides its name, its lines joined by blanks.
    std::optional<QString> description(const QString& role, const QString& name);
    // The roles of the shown controls of `roles` that have no name.
    QStringList unnamed(const QStringList& roles);
    // The roles of the shown controls that take the focus and have no name.
    QStringList unnamedFocusable();

private:
    // The reader's answer to one request, split at its tabs; empty when it ended.
    QStringList ask(const QStringList& request, int waitMs = 10'000);
    void start(QProcess& process, const QString& program, const QStringList& arguments);

    QString address_;
    QString accessibilityAddress_;
    TempDir launcherRuntime_;
    std::optional<QString> unavailable_;
    QProcess bus_;
    QProcess launcher_;
    QProcess reader_;
};

}  // namespace tavero::test
