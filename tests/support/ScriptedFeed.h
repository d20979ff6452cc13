#pragma once

#include "platform/PictureFeed.h"

#include <QColor>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace tavero::test {

// The pictures of a recording test: a plain colour the test changes at once
// or at a set time, or content that changes all the time (a bar moving one
// step per grab), and a feed that can be lost. Every picture carries its
// grab's number along its top, so that a file tells which grabs it holds.
// The script outlives the recorder that owns its feed(); any thread.
class ScriptedFeed {
public:
    explicit ScriptedFeed(QSize size, QColor colour = Qt::black);
    ~ScriptedFeed();
    ScriptedFeed(const ScriptedFeed&) = delete;
    ScriptedFeed& operator=(const ScriptedFeed&) = delete;

    // The feed a recorder takes over; one per script.
    std::unique_ptr<PictureFeed> feed();

    // The picture turns `colour`, now or once `when` has come.
    void show(QColor colour);
    void showAt(MonotonicTime when, QColor colour);
    // From now on every grab differs from the one before, and a change is
    // always waiting (a video playing).
    void setChanging(bool changing);
    // The next wait or grab throws Lost with `description`.
    void lose(const QString& description);

    // When each grab was made, in order.
    std::vector<MonotonicTime> grabTimes() const;
    // Reads `progress` at each grab, before its picture is handed over: how
    // far the consumer had got then (a recorder's elapsed()). Once set,
    // until the script goes.
    void watchProgress(std::function<double()> progress);
    // What it read at each grab, in order; NaN before it was watched.
    std::vector<double> progressAtGrabs() const;
    // The number of the grab (from 1) that `picture` shows, read from its
    // luma (Grayscale8) as a file decodes it; 0 when none can be read.
    static int grabNumberOf(const QImage& luma);
    // Waits until `count` grabs were made; false after 20 s.
    bool waitForGrabs(size_t count) const;
    // The most pictures handed out and not yet released at one time.
    int mostAlive() const;

private:
    class Feed;
    struct State;
    std::shared_ptr<State> state_;
};

}  // namespace tavero::test
