#pragma once

#include "platform/Result.h"
#include "recording/RecordedVideo.h"

#include <QColor>
#include <QEventLoop>
#include <QImage>
#include <QString>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <optional>

// What both halves of the camera suite share: waiting on the event loop
// (the suite runs before anything else on the main thread, so the writers'
// reports arrive while it waits), its one line per check, and the result of
// a take.
namespace tavero::selftests::camera {

// Lets the main thread's events run for `milliseconds`.
inline void pauseFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// Polls `done` every 25 ms, at most `polls` times; true once it holds.
inline bool waitUntil(const std::function<bool()>& done, int polls) {
    for (int poll = 0; poll < polls; ++poll) {
        if (done()) return true;
        pauseFor(25);
    }
    return done();
}

inline void pass(const QString& name) {
    std::printf("PASS: %s\n", name.toUtf8().constData());
    std::fflush(stdout);
}

inline void check(bool ok, const QString& name) {
    if (!ok) throw ShotError(QStringLiteral("FAIL: ") + name);
    pass(name);
}

using ResultBox = std::optional<Result<RecordedVideo>>;

inline QString describe(const ResultBox& box) {
    if (!box) return QStringLiteral("nil");
    if (!box->ok()) return QStringLiteral("failure(") + box->error().message() + QStringLiteral(")");
    return QStringLiteral("success(") + box->value().url + QStringLiteral(")");
}

// A solid camera picture.
inline QImage solid(QColor colour, int width = 640, int height = 360) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

}  // namespace tavero::selftests::camera
