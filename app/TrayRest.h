#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>

namespace tavero {

// Once the program has rested in the tray for a while (its window closed,
// no take, no render), gives back what its work left behind: by then the
// thread pools have ended their idle threads, and `giveBack` returns the
// memory they freed. Leaving the rest before that gives nothing back; each
// rest gives back once. Main thread.
class TrayRest : public QObject {
    Q_OBJECT
public:
    // Longer than the thread pools keep an idle thread (30 s).
    static constexpr std::chrono::seconds settle{35};

    TrayRest(std::function<bool()> resting, std::function<void()> giveBack,
             std::chrono::milliseconds settleTime = settle, QObject* parent = nullptr);

    // What `resting` reads has changed.
    void update();

private:
    std::function<bool()> resting_;
    std::function<void()> giveBack_;
    QTimer timer_;
    // This rest has given back.
    bool given_ = false;
};

}  // namespace tavero
