#include "tests/support/FocusEvents.h"

#include "tests/support/ScreenReader.h"

namespace tavero::test {

FocusEvents::FocusEvents(const ScreenReader& reader)
    : listener_(reader.listenerEnvironment(), {QStringLiteral("focus")}) {}

void FocusEvents::read() {
    for (const QString& line : listener_.lines()) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() == 3) events_.append({fields[0], fields[1], fields[2] == QLatin1String("shown")});
    }
}

QList<FocusEvents::Event> FocusEvents::take() {
    read();
    return std::exchange(events_, {});
}

std::optional<QList<FocusEvents::Event>> FocusEvents::takeThrough(const Event& wanted) {
    read();
    const qsizetype index = events_.indexOf(wanted);
    if (index < 0) return std::nullopt;
    QList<Event> taken = events_.first(index + 1);
    events_.remove(0, index + 1);
    return taken;
}

QString FocusEvents::describe(const QList<Event>& events) {
    QStringList lines;
    for (const Event& event : events)
        lines.append(event.role + QLatin1Char(' ') + event.name + (event.shown ? QString() : QStringLiteral(" (hidden)")));
    return lines.join(QLatin1Char('\n'));
}

}  // namespace tavero::test
