#pragma once

#include <QThreadPool>

#include <functional>

namespace tavero {

// A queue that runs its tasks one at a time, in the order given, on a worker
// thread of its own, which ends after 30 s without tasks (a later task
// starts another). Tasks must not throw; those that do are logged and the
// queue goes on. Destroying the queue waits for the queued tasks.
class SerialQueue {
public:
    explicit SerialQueue(const QString& label);
    ~SerialQueue();

    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    void async(std::function<void()> task);
    // Blocks until every task queued so far has run. For shutdown and tests.
    void waitUntilIdle();

private:
    QThreadPool pool_;
    QString label_;
};

}  // namespace tavero
