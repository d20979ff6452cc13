#pragma once

#include "library/LocalLibrary.h"

#include <QCoreApplication>
#include <QThread>
#include <QtTest>

#include <gtest/gtest.h>

#include <optional>
#include <utility>

// Calls a library operation and waits for its answer on the main thread, so a
// test reads like the sequence of operations it checks.
namespace tavero::test {

struct Loaded {
    QList<CaptureRecord> records;
    std::optional<ShotError> error;
};

template <typename Answer>
Answer waitFor(std::optional<Answer>& answer) {
    const bool arrived = QTest::qWaitFor([&] { return answer.has_value(); }, 10'000);
    if (!arrived) throw std::runtime_error("the library did not answer");
    return std::move(*answer);
}

inline Loaded load(LocalLibrary& library) {
    std::optional<Loaded> answer;
    library.load([&](QList<CaptureRecord> records, std::optional<ShotError> error) {
        EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
        answer = Loaded{std::move(records), std::move(error)};
    });
    return waitFor(answer);
}

inline Result<CaptureRecord> persist(LocalLibrary& library, const QImage& image,
                                     const QString& name = LocalLibrary::Prefix::capture,
                                     const QString& type = QStringLiteral("png")) {
    std::optional<Result<CaptureRecord>> answer;
    library.persist(image, name, type, [&](Result<CaptureRecord> result) { answer = std::move(result); });
    return waitFor(answer);
}

inline Result<CaptureRecord> addVideo(LocalLibrary& library, const QString& path) {
    std::optional<Result<CaptureRecord>> answer;
    library.addVideo(path, [&](Result<CaptureRecord> result) { answer = std::move(result); });
    return waitFor(answer);
}

inline Result<QString> saveProject(LocalLibrary& library, const QImage& image, const QList<Mark>& marks) {
    std::optional<Result<QString>> answer;
    library.saveProject(image, marks, [&](Result<QString> result) { answer = std::move(result); });
    return waitFor(answer);
}

inline std::optional<ShotError> trash(LocalLibrary& library, const CaptureRecord& record) {
    std::optional<std::optional<ShotError>> answer;
    library.trash(record, [&](std::optional<ShotError> error) { answer = std::move(error); });
    return waitFor(answer);
}

}  // namespace tavero::test
