#pragma once

#include "tests/support/EventListener.h"

#include <QList>
#include <QString>

#include <optional>

namespace tavero::test {

class ScreenReader;

// Where the keyboard goes, as a screen reader hears it: the focus events of
// the programs a ScreenReader reads (tests/support/screen_reader_events.py), each
// control with its role, its name and whether it was on screen. Tests wait
// for what they expect with QTest::qWaitFor. Main thread.
class FocusEvents {
public:
    struct Event {
        QString role;
        QString name;
        bool shown = false;

        bool operator==(const Event&) const = default;
    };

    // Listens from now on; false when the listener did not start.
    explicit FocusEvents(const ScreenReader& reader);

    bool listening() const { return listener_.listening(); }
    // The events heard since the last call, oldest first.
    QList<Event> take();
    // The events heard up to and including the first that is `wanted`,
    // taken; none, and nothing taken, until it has been heard.
    std::optional<QList<Event>> takeThrough(const Event& wanted);
    // Lines, one per event, for a failure's message.
    static QString describe(const QList<Event>& events);

private:
    void read();

    EventListener listener_;
    QList<Event> events_;
};

}  // namespace tavero::test
