#include "platform/threads/SerialQueue.h"

#include <QLoggingCategory>

#include <exception>

namespace tavero {

Q_LOGGING_CATEGORY(lcSerialQueue, "tavero.queue")

SerialQueue::SerialQueue(const QString& label) : label_(label) {
    pool_.setMaxThreadCount(1);
    pool_.setObjectName(label);
}

SerialQueue::~SerialQueue() { pool_.waitForDone(); }

void SerialQueue::async(std::function<void()> task) {
    pool_.start([task = std::move(task), label = label_] {
        try {
            task();
        } catch (const std::exception& error) {
            qCWarning(lcSerialQueue) << label << "task failed:" << error.what();
        } catch (...) {
            qCWarning(lcSerialQueue) << label << "task failed";
        }
    });
}

void SerialQueue::waitUntilIdle() { pool_.waitForDone(); }

}  // namespace tavero
