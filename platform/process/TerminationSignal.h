#pragma once

#include <functional>
#include <memory>

namespace tavero {

// Hears SIGTERM, which a desktop session ending or a user's `kill` sends,
// and answers on the main thread's event loop: the handler only writes a
// byte into a pipe, which a socket notifier reads. While it lives the signal
// no longer ends the process at once; once it goes, SIGTERM does again.
// One at a time per process; main thread.
class TerminationSignal {
public:
    explicit TerminationSignal(std::function<void()> received);
    ~TerminationSignal();
    TerminationSignal(const TerminationSignal&) = delete;
    TerminationSignal& operator=(const TerminationSignal&) = delete;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace tavero
