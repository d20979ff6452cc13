#include "tests/support/EventListener.h"

namespace tavero::test {

namespace {

// Debian's own Python, which has pyatspi.
const QString pythonPath = QStringLiteral("/usr/bin/python3");
constexpr int startMs = 10'000;

}  // namespace

EventListener::EventListener(const QProcessEnvironment& environment, const QStringList& arguments) {
    process_.setProcessEnvironment(environment);
    process_.start(pythonPath, QStringList{QStringLiteral(TAVERO_SCREEN_READER_EVENTS_SCRIPT)} + arguments);
    if (!process_.waitForStarted(startMs)) return;
    while (!process_.canReadLine())
        if (!process_.waitForReadyRead(startMs)) return;
    listening_ = process_.readLine().trimmed() == "listening";
}

EventListener::~EventListener() {
    process_.kill();
    process_.waitForFinished(3000);
}

QStringList EventListener::lines() {
    process_.waitForReadyRead(0);
    partial_ += process_.readAllStandardOutput();
    QStringList heard;
    qsizetype end;
    while ((end = partial_.indexOf('\n')) >= 0) {
        heard.append(QString::fromUtf8(partial_.left(end)));
        partial_.remove(0, end + 1);
    }
    return heard;
}

}  // namespace tavero::test
