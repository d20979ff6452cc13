#include "tests/support/ScriptedFeed.h"

#include <QPainter>

#include <cstdlib>
#include <limits>

namespace tavero::test {

using namespace std::chrono_literals;

namespace {

// A grab's number is written in binary across the top of its picture, the
// highest bit first: a block white for one, black for zero.
constexpr int numberBits = 16;
constexpr int numberHeight = 16;

int numberBlockWidth(int pictureWidth) { return pictureWidth / numberBits; }

void drawNumber(QImage& image, int number) {
    QPainter painter(&image);
    const int width = numberBlockWidth(image.width());
    for (int bit = 0; bit < numberBits; ++bit) {
        const bool one = number & (1 << (numberBits - 1 - bit));
        painter.fillRect(bit * width, 0, width, numberHeight, one ? Qt::white : Qt::black);
    }
}

}  // namespace

struct ScriptedFeed::State {
    mutable std::mutex lock;
    mutable std::condition_variable changed;
    QSize size;
    QColor colour;
    std::optional<std::pair<MonotonicTime, QColor>> scheduled;
    bool changing = false;
    bool changeWaiting = false;
    bool woken = false;
    std::optional<QString> lost;
    std::vector<MonotonicTime> grabs;
    std::function<double()> progress;
    std::vector<double> progressAtGrabs;
    int alive = 0;
    int mostAlive = 0;

    // Under the lock.
    void applySchedule(MonotonicTime now) {
        if (!scheduled || scheduled->first > now) return;
        colour = scheduled->second;
        scheduled.reset();
        changeWaiting = true;
    }

    void throwIfLost() const {
        if (lost) throw PictureFeed::Lost(*lost);
    }

    // Under the lock: a picture whose pixels count as alive until released.
    QImage picture() {
        const qsizetype bytesPerLine = qsizetype(size.width()) * 4;
        auto* pixels = static_cast<uchar*>(std::malloc(size_t(bytesPerLine) * size_t(size.height())));
        mostAlive = std::max(mostAlive, ++alive);
        auto* keep = new std::shared_ptr<State>();
        *keep = self.lock();
        QImage image(pixels, size.width(), size.height(), bytesPerLine, QImage::Format_RGB32, &State::release, keep);
        image.fill(colour);
        if (changing) {
            QPainter painter(&image);
            painter.fillRect(int(grabs.size() * 8 % size_t(size.width())), 0, 8, size.height(), Qt::white);
        }
        drawNumber(image, int(grabs.size()));
        return image;
    }

    static void release(void* info) {
        auto* keep = static_cast<std::shared_ptr<State>*>(info);
        {
            std::lock_guard guard((*keep)->lock);
            --(*keep)->alive;
        }
        delete keep;
    }

    std::weak_ptr<State> self;
};

class ScriptedFeed::Feed final : public PictureFeed {
public:
    explicit Feed(std::shared_ptr<State> state) : state_(std::move(state)) {}

    QSize size() const override { return state_->size; }

    bool waitForChange(MonotonicTime deadline) override {
        State& s = *state_;
        std::unique_lock guard(s.lock);
        for (;;) {
            s.throwIfLost();
            if (s.woken) {
                s.woken = false;
                return false;
            }
            const MonotonicTime now = std::chrono::steady_clock::now();
            s.applySchedule(now);
            if (s.changeWaiting || s.changing) return true;
            if (now >= deadline) return false;
            const MonotonicTime until = s.scheduled ? std::min(deadline, s.scheduled->first) : deadline;
            s.changed.wait_until(guard, until);
        }
    }

    void wake() override {
        {
            std::lock_guard guard(state_->lock);
            state_->woken = true;
        }
        state_->changed.notify_all();
    }

    QImage grab() override {
        State& s = *state_;
        std::lock_guard guard(s.lock);
        s.throwIfLost();
        const MonotonicTime now = std::chrono::steady_clock::now();
        s.applySchedule(now);
        s.changeWaiting = false;
        s.grabs.push_back(now);
        s.progressAtGrabs.push_back(s.progress ? s.progress() : std::numeric_limits<double>::quiet_NaN());
        s.changed.notify_all();
        return s.picture();
    }

private:
    std::shared_ptr<State> state_;
};

ScriptedFeed::ScriptedFeed(QSize size, QColor colour) : state_(std::make_shared<State>()) {
    state_->size = size;
    state_->colour = colour;
    state_->self = state_;
}

ScriptedFeed::~ScriptedFeed() = default;

std::unique_ptr<PictureFeed> ScriptedFeed::feed() { return std::make_unique<Feed>(state_); }

void ScriptedFeed::show(QColor colour) {
    {
        std::lock_guard guard(state_->lock);
        state_->colour = colour;
        state_->changeWaiting = true;
    }
    state_->changed.notify_all();
}

void ScriptedFeed::showAt(MonotonicTime when, QColor colour) {
    {
        std::lock_guard guard(state_->lock);
        state_->scheduled = {when, colour};
    }
    state_->changed.notify_all();
}

void ScriptedFeed::setChanging(bool changing) {
    {
        std::lock_guard guard(state_->lock);
        state_->changing = changing;
    }
    state_->changed.notify_all();
}

void ScriptedFeed::lose(const QString& description) {
    {
        std::lock_guard guard(state_->lock);
        state_->lost = description;
    }
    state_->changed.notify_all();
}

std::vector<MonotonicTime> ScriptedFeed::grabTimes() const {
    std::lock_guard guard(state_->lock);
    return state_->grabs;
}

void ScriptedFeed::watchProgress(std::function<double()> progress) {
    std::lock_guard guard(state_->lock);
    state_->progress = std::move(progress);
}

std::vector<double> ScriptedFeed::progressAtGrabs() const {
    std::lock_guard guard(state_->lock);
    return state_->progressAtGrabs;
}

int ScriptedFeed::grabNumberOf(const QImage& luma) {
    const int width = numberBlockWidth(luma.width());
    if (width < 2 || luma.height() < numberHeight || luma.format() != QImage::Format_Grayscale8) return 0;
    int number = 0;
    for (int bit = 0; bit < numberBits; ++bit)
        number = number << 1 | (luma.constScanLine(numberHeight / 2)[bit * width + width / 2] >= 128 ? 1 : 0);
    return number;
}

bool ScriptedFeed::waitForGrabs(size_t count) const {
    std::unique_lock guard(state_->lock);
    return state_->changed.wait_for(guard, 20s, [&] { return state_->grabs.size() >= count; });
}

int ScriptedFeed::mostAlive() const {
    std::lock_guard guard(state_->lock);
    return state_->mostAlive;
}

}  // namespace tavero::test
