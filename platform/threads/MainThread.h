#pragma once

#include <QObject>

#include <functional>

namespace tavero {

// Queues `task` on the main thread's event loop. With a `context`, the task is
// dropped when the context is destroyed before it runs.
void postToMain(std::function<void()> task);
void postToMain(QObject* context, std::function<void()> task);

bool isMainThread();

}  // namespace tavero
