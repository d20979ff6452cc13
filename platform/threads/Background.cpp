#include "platform/threads/Background.h"

#include "platform/threads/ThreadName.h"

#include <QLoggingCategory>

#include <exception>

namespace tavero {

Q_LOGGING_CATEGORY(lcBackground, "tavero.background")

void runInBackground(std::function<void()> task) {
    QThreadPool::globalInstance()->start([task = std::move(task)] {
        // The shared pool's threads run exports, checks and the ends of takes.
        nameThisThread("tavero-work");
        try {
            task();
        } catch (const std::exception& error) {
            qCWarning(lcBackground) << "background task failed:" << error.what();
        } catch (...) {
            qCWarning(lcBackground) << "background task failed";
        }
    });
}

}  // namespace tavero
