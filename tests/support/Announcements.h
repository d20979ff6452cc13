#pragma once

#include "tests/support/EventListener.h"

#include <QProcessEnvironment>
#include <QStringList>

namespace tavero::test {

// What a screen reader hears the program `processID` say of its own accord,
// through AT-SPI on the bus of `environment` (ScreenReader::listenerEnvironment()):
// the names of its notifications as each becomes shown, which is what Orca
// speaks of them (tests/support/screen_reader_events.py, pyatspi). Main thread.
class Announcements {
public:
    Announcements(const QProcessEnvironment& environment, qint64 processID);

    // Whether the listener is registered on the bus; it hears what is said from then on.
    bool listening() const { return listener_.listening(); }
    // What was said so far, in order; tests wait for it with QTest::qWaitFor.
    const QStringList& heard();

private:
    EventListener listener_;
    QStringList heard_;
};

}  // namespace tavero::test
