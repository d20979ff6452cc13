#include "platform/process/TerminationSignal.h"

#include "platform/files/FileDescriptor.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace tavero {

namespace {

// The pipe's writing end, for the handler, which may touch nothing else.
volatile std::sig_atomic_t wakeFd = -1;

void noteSignal(int) {
    const int saved = errno;
    const char byte = 1;
    // A full pipe already holds a wake-up; nothing is lost.
    [[maybe_unused]] const ssize_t written = ::write(wakeFd, &byte, 1);
    errno = saved;
}

}  // namespace

struct TerminationSignal::State {
    FileDescriptor readEnd;
    FileDescriptor writeEnd;
    std::unique_ptr<QSocketNotifier> notifier;
    struct sigaction previous {};
};

TerminationSignal::TerminationSignal(std::function<void()> received) : state_(std::make_unique<State>()) {
    if (wakeFd >= 0) throw std::logic_error("SIGTERM is heard already");
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) throw std::runtime_error("no pipe for SIGTERM");
    state_->readEnd = FileDescriptor(ends[0]);
    state_->writeEnd = FileDescriptor(ends[1]);
    state_->notifier = std::make_unique<QSocketNotifier>(ends[0], QSocketNotifier::Read);
    QObject::connect(state_->notifier.get(), &QSocketNotifier::activated, state_->notifier.get(),
                     [fd = ends[0], received = std::move(received)] {
                         char bytes[64];
                         while (::read(fd, bytes, sizeof bytes) > 0) {}
                         received();
                     });
    wakeFd = ends[1];
    struct sigaction action {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, &state_->previous);
}

TerminationSignal::~TerminationSignal() {
    ::sigaction(SIGTERM, &state_->previous, nullptr);
    wakeFd = -1;
}

}  // namespace tavero
