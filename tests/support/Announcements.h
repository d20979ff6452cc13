#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

namespace tavero::test {

// What a screen reader hears the program `processID` say of its own accord,
// through AT-SPI on the bus of `environment` (ScreenReader::listenerEnvironment()):
// the names of its notifications as each becomes shown, which is what Orca
// speaks of them (tests/support/announcements.py, pyatspi). Main thread.
class Announcements {
public:
    Announcements(const QProcessEnvironment& environment, qint64 processID);
    ~Announcements();
    Announcements(const Announcements&) = delete;
    Announcements& operator=(const Announcements&) = delete;

    // Whether the listener is registered on the bus; it hears what is said from then on.
    bool listening() const { return listening_; }
    // What was said so far, in order; tests wait for it with QTest::qWaitFor.
    const QStringList& heard();

private:
    QProcess listener_;
    bool listening_ = false;
    QStringList heard_;
};

}  // namespace tavero::test
