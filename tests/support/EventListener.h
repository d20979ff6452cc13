#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

namespace tavero::test {

// A listener to the accessibility bus of `environment`
// (ScreenReader::listenerEnvironment()), as a screen reader listens:
// tests/support/screen_reader_events.py run with `arguments`, one line per
// event heard. Main thread.
class EventListener {
public:
    EventListener(const QProcessEnvironment& environment, const QStringList& arguments);
    ~EventListener();
    EventListener(const EventListener&) = delete;
    EventListener& operator=(const EventListener&) = delete;

    // Whether it is registered on the bus; it hears what happens from then on.
    bool listening() const { return listening_; }
    // The lines heard since the last call, oldest first.
    QStringList lines();

private:
    QProcess process_;
    QByteArray partial_;
    bool listening_ = false;
};

}  // namespace tavero::test
