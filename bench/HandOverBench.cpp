// What later starts cost the running program: the delegate with its window
// (offscreen) behind the hand-over socket, while a process of clients
// connects to it. Each iteration's time is the wall-clock time until the
// program has let every client go; "stall_ms" is the longest the main
// thread went without turning its event loop (the window's lag),
// "handles" the most file handles the program held for the clients at once,
// "memory_MB" how far its resident memory rose.
//   build/bench/bench_hand_over
#include "app/AppDelegate.h"
#include "platform/desktop/GlobalHotKeys.h"
#include "recording/ScreenRecorder.h"
#include "app/SingleInstance.h"
#include "app/model/FileMessages.h"
#include "bench/ProcessMeasures.h"
#include "tests/support/TempDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <future>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tavero;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int mostClients = 20'000;

qsizetype openFileHandles() {
    return QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size();
}

// Every millisecond on the main thread: the longest gap between two turns
// of the event loop, and the most file handles open.
class Watch {
public:
    Watch() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
        baseHandles_ = openFileHandles();
        last_ = Clock::now();
        timer_.start();
    }

    double stallMs() const { return std::chrono::duration<double, std::milli>(longest_).count(); }
    qsizetype handles() const { return mostHandles_ - baseHandles_; }

private:
    void tick() {
        const Clock::time_point now = Clock::now();
        longest_ = std::max(longest_, now - last_);
        last_ = now;
        mostHandles_ = std::max(mostHandles_, openFileHandles());
    }

    QTimer timer_;
    Clock::time_point last_;
    Clock::duration longest_{};
    qsizetype baseHandles_ = 0;
    qsizetype mostHandles_ = 0;
};

// What the child may touch: made before the fork, as it allocates nothing.
int sockets[mostClients];
pollfd waits[mostClients];

int connectTo(const sockaddr_un& address) {
    const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (socket >= 0 && ::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return socket;
    if (socket >= 0) ::close(socket);
    return -1;
}

// Waits until the program has answered or closed every connection.
void waitUntilAllLetGo(int count) {
    int open = count;
    char answer[256];
    while (open > 0) {
        for (int index = 0; index < count; ++index) waits[index] = {sockets[index], POLLIN, 0};
        if (::poll(waits, nfds_t(count), -1) < 0) return;
        for (int index = 0; index < count; ++index) {
            if (sockets[index] < 0 || !(waits[index].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            (void)::recv(sockets[index], answer, sizeof answer, MSG_DONTWAIT);
            ::close(sockets[index]);
            sockets[index] = -1;
            --open;
        }
    }
}

// The clients, in a process of their own that makes only system calls:
// `count` connections, all opened first, then each sent `message` in full.
// Each is kept until the program answers it or closes it. Ends once all are.
pid_t startClients(const QString& name, int count, const QByteArray& message) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, QFile::encodeName(name).constData(), sizeof address.sun_path - 1);
    const pid_t child = ::fork();
    if (child != 0) return child;
    ::close_range(3, ~0U, 0);
    for (int index = 0; index < count; ++index) sockets[index] = connectTo(address);
    for (int index = 0; index < count; ++index)
        for (qsizetype sent = 0; sockets[index] >= 0 && sent < message.size();) {
            const ssize_t written = ::send(sockets[index], message.constData() + sent, size_t(message.size() - sent), MSG_NOSIGNAL);
            if (written <= 0) break;
            sent += written;
        }
    waitUntilAllLetGo(count);
    ::_exit(0);
}

bool ended(pid_t child) { return ::waitpid(child, nullptr, WNOHANG) == child; }

void runUntil(const std::function<bool()>& done) {
    while (!done()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// The running program: its delegate, window shown, and its socket.
struct RunningProgram {
    RunningProgram() : instance(name()) {
        delegate.launch({});
        instance.listen();
        QObject::connect(&instance, &SingleInstance::started, &delegate, &AppDelegate::started);
    }

    QString name() const { return folder.file(QStringLiteral("tavero.socket")); }

    test::TempHome home;
    test::TempDir folder;
    AppDelegate delegate{AppDelegateSetup{}};
    SingleInstance instance;
};

void reportClients(benchmark::State& state, int count, const QByteArray& message) {
    RunningProgram program;
    for (auto _ : state) {
        bench::resetPeak();
        const qint64 before = bench::statusBytes("VmRSS:");
        Watch watch;
        QElapsedTimer wall;
        wall.start();
        const pid_t clients = startClients(program.name(), count, message);
        runUntil([&] { return ended(clients); });
        state.SetIterationTime(double(wall.nsecsElapsed()) / 1e9);
        state.counters["stall_ms"] = watch.stallMs();
        state.counters["handles"] = double(watch.handles());
        state.counters["memory_MB"] = double(bench::statusBytes("VmHWM:") - before) / 1e6;
    }
}

QByteArray pathOfSize(qsizetype size) { return '/' + QByteArray(size - 1, 'a'); }

// Paths the system takes, each ended, `size` bytes of them.
QByteArray manyPaths(qsizetype size) {
    QByteArray message;
    for (int index = 0; message.size() < size; ++index) message += pathOfSize(4000) + QByteArray::number(index) + '\0';
    return message.first(size);
}

void idleConnections(benchmark::State& state) { reportClients(state, int(state.range(0)), {}); }

// Requests that never end: of paths the system takes, or of one path longer
// than any it takes.
void connectionsHoldingUnendedRequests(benchmark::State& state) {
    reportClients(state, int(state.range(0)), state.range(1) ? manyPaths(1'048'000) : pathOfSize(1'048'000));
}

// A path of a megabyte: refused at its first four kilobytes.
void finishedRequestsOfOneLongPath(benchmark::State& state) {
    reportClients(state, int(state.range(0)), pathOfSize(SingleInstance::largestMessage - 2) + '\0' + '\0');
}

// A megabyte of paths the system takes, as a start given thousands of files
// sends: each request opens its first file, which is missing.
void finishedRequestsOfManyPaths(benchmark::State& state) {
    const QByteArray paths = manyPaths(SingleInstance::largestMessage - 4096);
    reportClients(state, int(state.range(0)), paths.first(paths.lastIndexOf('\0') + 1) + '\0');
}

// From the first of two files handed over, a 6000 × 6000 picture and then a
// small one, until the small one is shown.
void twoFilesHandedOverAtOnce(benchmark::State& state) {
    RunningProgram program;
    QImage big(6000, 6000, QImage::Format_RGB32);
    big.fill(QColor(220, 30, 40));
    const QString bigFile = program.folder.file(QStringLiteral("big.png"));
    const QString smallFile = program.folder.file(QStringLiteral("small.png"));
    big.save(bigFile);
    big.copy(0, 0, 900, 600).save(smallFile);
    const QString shown = FileMessages::opened(QStringLiteral("small.png"));
    for (auto _ : state) {
        program.delegate.model().goHome();
        program.delegate.model().setStatus({});
        Watch watch;
        QElapsedTimer wall;
        wall.start();
        std::future<void> starts = std::async(std::launch::async, [&] {
            for (const QString& file : {bigFile, smallFile}) SingleInstance(program.name()).handOver({file});
        });
        runUntil([&] { return program.delegate.model().status() == shown; });
        state.SetIterationTime(double(wall.nsecsElapsed()) / 1e9);
        state.counters["stall_ms"] = watch.stallMs();
        starts.wait();
    }
}

}  // namespace

BENCHMARK(idleConnections)->Arg(19'900)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK(connectionsHoldingUnendedRequests)->Args({600, 1})->Args({600, 0})->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK(finishedRequestsOfOneLongPath)->Arg(100)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK(finishedRequestsOfManyPaths)->Arg(100)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK(twoFilesHandedOverAtOnce)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
