#include "tests/support/ScreenReader.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace tavero::test {

namespace {

const QString launcherPath = QStringLiteral("/usr/libexec/at-spi-bus-launcher");
// Debian's own Python, which has pyatspi.
const QString pythonPath = QStringLiteral("/usr/bin/python3");
constexpr int startMs = 10'000;
// How long the launcher may take to announce the accessibility bus; the
// reader gives up at the same time.
constexpr int busMs = 60'000;

void end(QProcess& process) {
    if (process.state() == QProcess::NotRunning) return;
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(3000);
    }
}

}  // namespace

ScreenReader::ScreenReader() {
    if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty() ||
        !QFileInfo(launcherPath).isExecutable() || !QFileInfo(pythonPath).isExecutable()) {
        unavailable_ = QStringLiteral("dbus-daemon, at-spi2-core or Python is not installed");
        return;
    }
    bus_.setProcessChannelMode(QProcess::SeparateChannels);
    start(bus_, QStringLiteral("dbus-daemon"),
          {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    if (!bus_.waitForReadyRead(startMs)) {
        unavailable_ = QStringLiteral("the session bus did not start");
        return;
    }
    address_ = QString::fromUtf8(bus_.readLine()).trimmed();
    // Each launcher names its bus's socket after the display: one of an
    // earlier test that is still going must not be where this one listens.
    QProcessEnvironment launcherEnvironment = environment();
    launcherEnvironment.insert(QStringLiteral("XDG_RUNTIME_DIR"), launcherRuntime_.path());
    launcher_.setProcessEnvironment(launcherEnvironment);
    start(launcher_, launcherPath, {QStringLiteral("--launch-immediately")});
    reader_.setProcessEnvironment(environment());
    start(reader_, pythonPath, {QStringLiteral(TAVERO_SCREEN_READER_SCRIPT)});
    if (unavailable_) return;
    // The reader answers once the launcher has announced the accessibility bus.
    const QStringList ready = ask({QStringLiteral("ready")}, busMs);
    if (ready.value(0) == QLatin1String("ok"))
        accessibilityAddress_ = ready.value(1);
    else
        unavailable_ = QStringLiteral("pyatspi does not run: ") + QString::fromUtf8(reader_.readAllStandardError());
}

ScreenReader::~ScreenReader() {
    reader_.closeWriteChannel();
    if (!reader_.waitForFinished(3000)) end(reader_);
    end(launcher_);
    end(bus_);
}

void ScreenReader::start(QProcess& process, const QString& program, const QStringList& arguments) {
    process.start(program, arguments);
    if (!process.waitForStarted(startMs) && !unavailable_) unavailable_ = program + QStringLiteral(" did not start");
}

QProcessEnvironment ScreenReader::environment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address_);
    environment.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    return environment;
}

QProcessEnvironment ScreenReader::listenerEnvironment() const {
    QProcessEnvironment environment = ScreenReader::environment();
    environment.insert(QStringLiteral("AT_SPI_BUS_ADDRESS"), accessibilityAddress_);
    return environment;
}

QStringList ScreenReader::ask(const QStringList& request, int waitMs) {
    if (reader_.state() != QProcess::Running) return {};
    reader_.write((request.join(QLatin1Char('\t')) + QLatin1Char('\n')).toUtf8());
    while (!reader_.canReadLine())
        if (!reader_.waitForReadyRead(waitMs)) return {};
    return QString::fromUtf8(reader_.readLine()).chopped(1).split(QLatin1Char('\t'));
}

bool ScreenReader::attach(qint64 processID) {
    return ask({QStringLiteral("attach"), QString::number(processID)}).value(0) == QLatin1String("ok");
}

std::optional<QStringList> ScreenReader::states(const QString& role, const QString& name) {
    const QStringList answer = ask({QStringLiteral("state"), role, name});
    if (answer.value(0) != QLatin1String("ok")) return std::nullopt;
    return answer.value(1).split(QLatin1Char(','), Qt::SkipEmptyParts);
}

bool ScreenReader::checked(const QString& role, const QString& name) {
    const std::optional<QStringList> found = states(role, name);
    return found && found->contains(QStringLiteral("checked"));
}

bool ScreenReader::act(const QString& role, const QString& name, const QString& action) {
    return ask({QStringLiteral("act"), role, name, action}).value(0) == QLatin1String("ok");
}

bool ScreenReader::pressEnabled(const QString& role, const QString& name) {
    return has(role, name, QStringLiteral("enabled")) && act(role, name, QStringLiteral("Press"));
}

std::optional<QSize> ScreenReader::size(const QString& role, const QString& name) {
    const QStringList answer = ask({QStringLiteral("size"), role, name});
    if (answer.value(0) != QLatin1String("ok")) return std::nullopt;
    return QSize(answer.value(1).toInt(), answer.value(2).toInt());
}

std::optional<ScreenReader::Reading> ScreenReader::reading(const QString& role, const QString& name) {
    const QStringList answer = ask({QStringLiteral("value"), role, name});
    if (answer.value(0) != QLatin1String("ok") || answer.size() != 5) return std::nullopt;
    return Reading{answer[1].toDouble(), answer[2].toDouble(), answer[3].toDouble(), answer[4].toDouble()};
}

std::optional<QString> ScreenReader::description(const QString& role, const QString& name) {
    const QStringList answer = ask({QStringLiteral("description"), role, name});
    if (answer.value(0) != QLatin1String("ok")) return std::nullopt;
    return answer.value(1);
}

QStringList ScreenReader::unnamedFocusable() { return ask({QStringLiteral("unnamedFocusable")}).mid(1); }

QStringList ScreenReader::unnamed(const QStringList& roles) {
    return ask({QStringLiteral("unnamed"), roles.join(QLatin1Char(','))}).mid(1);
}

}  // namespace tavero::test
