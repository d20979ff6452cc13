#pragma once

#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace tavero::selftests {

// Starts an operation that answers once on the main thread, and runs the main
// thread's events until the answer has come or `limit` has passed. The self
// test is the one place that waits this way: it runs before any application
// loop. An answer that comes after the limit is dropped harmlessly.
template <typename Answer, typename Start>
std::optional<Answer> waitForAnswer(Start start, std::chrono::milliseconds limit) {
    struct Wait {
        std::optional<Answer> answer;
        QEventLoop loop;
    };
    const auto wait = std::make_shared<Wait>();
    QTimer::singleShot(limit, &wait->loop, &QEventLoop::quit);
    start([wait](Answer answer) {
        wait->answer.emplace(std::move(answer));
        wait->loop.quit();
    });
    if (!wait->answer) wait->loop.exec();
    return std::move(wait->answer);
}

}  // namespace tavero::selftests
