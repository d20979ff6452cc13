#include "tests/support/FocusEvents.h"

#include "tests/support/ScreenReader.h"

namespace tavero::test {

namespace {

constexpr int startMs = 10'000;

}  // namespace

FocusEvents::FocusEvents(const ScreenReader& reader) {
    listener_.setProcessEnvironment(reader.listenerEnvironment());
    listener_.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(TAVERO_FOCUS_EVENTS_SCRIPT)});
    if (!listener_.waitForStarted(startMs)) return;
    while (!listener_.canReadLine())
        if (!listener_.waitForReadyRead(startMs)) return;
    listening_ = listener_.readLine().trimmed() == "listening";
}

FocusEvents::~FocusEvents() {
    listener_.kill();
    listener_.waitForFinished(3000);
}

void FocusEvents::read() {
    listener_.waitForReadyRead(0);
    partial_ += listener_.readAllStandardOutput();
    qsizetype end;
    while ((end = partial_.indexOf('\n')) >= 0) {
        const QStringList fields = QString::fromUtf8(partial_.left(end)).split(QLatin1Char('\t'));
        partial_.remove(0, end + 1);
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
