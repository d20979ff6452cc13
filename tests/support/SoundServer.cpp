#include "tests/support/SoundServer.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QThread>

namespace tavero::test {

namespace {

constexpr int startLimitMs = 20'000;

void pointSoundClientsAt(const QString& socket, QByteArray& previous, bool& hadPrevious) {
    hadPrevious = qEnvironmentVariableIsSet("PULSE_SERVER");
    previous = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", ("unix:" + socket).toLocal8Bit());
}

void restore(const QByteArray& previous, bool hadPrevious) {
    if (hadPrevious) qputenv("PULSE_SERVER", previous);
    else qunsetenv("PULSE_SERVER");
}

}  // namespace

SoundServer::SoundServer(int microphoneFrequency) : microphoneFrequency_(microphoneFrequency) {
    pointSoundClientsAt(runtime_.file(QStringLiteral("pulse/native")), previous_, hadPrevious_);
    start();
}

void SoundServer::start() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
    server_.setProcessEnvironment(environment);
    server_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server_.start(QStringLiteral("pulseaudio"),
                  {QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                   QStringLiteral("--log-level=error"), QStringLiteral("--load=module-native-protocol-unix"),
                   QStringLiteral("--load=module-null-sink sink_name=test_sink"),
                   QStringLiteral("--load=module-sine-source frequency=%1 source_name=test_mic").arg(microphoneFrequency_)});
    if (!server_.waitForStarted()) return;
    // The server answers once its socket is up and its modules are loaded.
    const QDeadlineTimer deadline(startLimitMs);
    while (!deadline.hasExpired() && server_.state() == QProcess::Running) {
        if (control({QStringLiteral("info")})) {
            running_ = true;
            return;
        }
        QThread::msleep(50);
    }
}

SoundServer::~SoundServer() {
    kill();
    restore(previous_, hadPrevious_);
}

bool SoundServer::control(const QStringList& arguments) const {
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), arguments);
    return pactl.waitForFinished(startLimitMs) && pactl.exitStatus() == QProcess::NormalExit && pactl.exitCode() == 0;
}

int SoundServer::playbackStreams() const {
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"),
                {QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sink-inputs")});
    if (!pactl.waitForFinished(startLimitMs) || pactl.exitStatus() != QProcess::NormalExit || pactl.exitCode() != 0)
        return -1;
    return int(pactl.readAllStandardOutput().count('\n'));
}

bool SoundServer::makeMonitorTheDefaultInput() const {
    return control({QStringLiteral("set-default-source"), QStringLiteral("test_sink.monitor")});
}

bool SoundServer::unplugMicrophone() const {
    return control({QStringLiteral("unload-module"), QStringLiteral("module-sine-source")});
}

bool SoundServer::playTone(int frequency, bool realTime) {
    return control({QStringLiteral("load-module"), QStringLiteral("module-sine"), QStringLiteral("sink=test_sink"),
                    QStringLiteral("frequency=%1").arg(frequency)}) &&
           (!realTime || keepSinkPlaying());
}

// A null sink that nobody asks for a short latency mixes its streams up to
// 2 s ahead and then sleeps, and a monitor opened meanwhile hears nothing
// until that block has passed. A listener with a short latency keeps the
// sink playing in real time for the server's life. Returns once the
// listener hears the sink.
bool SoundServer::keepSinkPlaying() {
    if (listener_.state() != QProcess::NotRunning) return true;
    const QString heard = runtime_.file(QStringLiteral("listener.raw"));
    listener_.setStandardOutputFile(heard);
    listener_.start(QStringLiteral("parec"),
                    {QStringLiteral("--latency-msec=20"), QStringLiteral("--device=test_sink.monitor"),
                     QStringLiteral("--format=s16le"), QStringLiteral("--rate=8000"), QStringLiteral("--channels=1"),
                     QStringLiteral("--raw")});
    if (!listener_.waitForStarted()) return false;
    const QDeadlineTimer deadline(startLimitMs);
    while (!deadline.hasExpired() && listener_.state() == QProcess::Running) {
        if (QFileInfo(heard).size() > 0) return true;
        QThread::msleep(20);
    }
    return false;
}

void SoundServer::kill() {
    running_ = false;
    if (listener_.state() != QProcess::NotRunning) {
        listener_.kill();
        listener_.waitForFinished();
    }
    if (server_.state() == QProcess::NotRunning) return;
    server_.kill();
    server_.waitForFinished();
}

bool SoundServer::restart() {
    kill();
    start();
    return running_;
}

NoSoundServer::NoSoundServer() {
    pointSoundClientsAt(runtime_.file(QStringLiteral("pulse/native")), previous_, hadPrevious_);
}

NoSoundServer::~NoSoundServer() { restore(previous_, hadPrevious_); }

}  // namespace tavero::test
