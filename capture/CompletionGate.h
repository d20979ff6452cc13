#pragma once

#include "platform/Result.h"
#include "platform/threads/MainThread.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <mutex>

namespace tavero {

// Lets exactly the first of several competing answers (the screen's own and
// a watchdog's) through to `callback`, always on the main thread. Later
// answers are dropped, and so is every answer once `context` is gone.
// finish() may be called from any thread.
template <typename T>
class CompletionGate {
public:
    using Callback = std::function<void(Result<T>)>;

    static std::shared_ptr<CompletionGate> make(QObject* context, Callback callback) {
        return std::shared_ptr<CompletionGate>(new CompletionGate(context, std::move(callback)));
    }

    void finish(Result<T> result) {
        {
            std::lock_guard guard(lock_);
            if (done_) return;
            done_ = true;
        }
        postToMain([context = context_, callback = std::move(callback_), result = std::move(result)]() mutable {
            if (context) callback(std::move(result));
        });
    }

private:
    CompletionGate(QObject* context, Callback callback) : context_(context), callback_(std::move(callback)) {}

    std::mutex lock_;
    bool done_ = false;
    QPointer<QObject> context_;
    Callback callback_;
};

}  // namespace tavero
