#include "platform/threads/MainThread.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>

namespace tavero {

void postToMain(std::function<void()> task) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(task), Qt::QueuedConnection);
}

void postToMain(QObject* context, std::function<void()> task) {
    QMetaObject::invokeMethod(context, std::move(task), Qt::QueuedConnection);
}

bool isMainThread() {
    auto* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

}  // namespace tavero
