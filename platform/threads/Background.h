#pragma once

#include "platform/Result.h"
#include "platform/threads/MainThread.h"

#include <QObject>
#include <QPointer>
#include <QThreadPool>

#include <functional>
#include <type_traits>

namespace tavero {

// Runs `task` on the shared worker pool. Exceptions are caught and logged:
// nothing escapes a worker thread.
void runInBackground(std::function<void()> task);

// Runs `work` on the shared worker pool and hands its Result to `done` on the
// main thread, through `context`'s event loop (dropped if `context` is gone).
// A ShotError thrown by `work` arrives as the Result's error; any other
// exception arrives as `fallback`.
template <typename Work, typename Done>
void runThenDeliver(QObject* context, Work work, Done done, QString fallback) {
    using Value = std::invoke_result_t<Work>;
    QPointer<QObject> guard(context);
    runInBackground([guard, work = std::move(work), done = std::move(done), fallback = std::move(fallback)]() mutable {
        Result<Value> result = capture(work, fallback);
        postToMain([guard, result = std::move(result), done = std::move(done)]() mutable {
            if (guard) done(std::move(result));
        });
    });
}

}  // namespace tavero
