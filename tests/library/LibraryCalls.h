#pragma once

#include "library/LocalLibrary.h"

#include <QCoreApplication>
#include <QThread>
#include <QtTest>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <utility>

// Calls a library operation and waits for its answer on the main thread, so a
// test reads like the sequence of operations it checks.
namespace tavero::test {

struct Loaded {
    QList<CaptureRecord> records;
    std::optional<ShotError> error;
    QThread* answeredOn = nullptr;
};

// Where an answer lands: the callback owns it too, so an answer that comes
// after a test gave up on it writes nowhere the test held.
template <typename Answer>
using AnswerSlot = std::shared_ptr<std::optional<Answer>>;

template <typename Answer>
AnswerSlot<Answer> answerSlot() {
    return std::make_shared<std::optional<Answer>>();
}

// The library's queue writes projects of tens of megabytes, which takes a
// busy machine many seconds; only a library that never answers runs out.
inline constexpr int answerPatienceMs = 240'000;

template <typename Answer>
Answer waitFor(const AnswerSlot<Answer>& answer) {
    const bool arrived = QTest::qWaitFor([&] { return answer->has_value(); }, answerPatienceMs);
    if (!arrived) throw std::runtime_error("the library did not answer");
    return std::move(**answer);
}

inline Loaded load(LocalLibrary& library) {
    const auto answer = answerSlot<Loaded>();
    library.load([answer](QList<CaptureRecord> records, std::optional<ShotError> error) {
        *answer = Loaded{std::move(records), std::move(error), QThread::currentThread()};
    });
    Loaded loaded = waitFor(answer);
    EXPECT_EQ(loaded.answeredOn, QCoreApplication::instance()->thread());
    return loaded;
}

inline Result<CaptureRecord> persist(LocalLibrary& library, const QImage& image,
                                     const QString& name = LocalLibrary::Prefix::capture,
                                     const QString& type = QStringLiteral("png")) {
    const auto answer = answerSlot<Result<CaptureRecord>>();
    library.persist(image, name, type, [answer](Result<CaptureRecord> result) { *answer = std::move(result); });
    return waitFor(answer);
}

inline Result<CaptureRecord> addVideo(LocalLibrary& library, const QString& path) {
    const auto answer = answerSlot<Result<CaptureRecord>>();
    library.addVideo(path, [answer](Result<CaptureRecord> result) { *answer = std::move(result); });
    return waitFor(answer);
}

inline Result<QString> saveProject(LocalLibrary& library, const QImage& image, const QList<Mark>& marks) {
    const auto answer = answerSlot<Result<QString>>();
    library.saveProject(image, marks, [answer](Result<QString> result) { *answer = std::move(result); });
    return waitFor(answer);
}

inline std::optional<ShotError> trash(LocalLibrary& library, const CaptureRecord& record) {
    const auto answer = answerSlot<std::optional<ShotError>>();
    library.trash(record, [answer](std::optional<ShotError> error) { *answer = std::move(error); });
    return waitFor(answer);
}

}  // namespace tavero::test
