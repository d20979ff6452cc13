#include "platform/media/MoviePlayback.h"

#include "platform/media/MediaError.h"
#include "platform/media/MovieDecoding.h"
#include "platform/threads/MainThread.h"

#include <QLoggingCategory>

#include <algorithm>
#include <cmath>

namespace tavero::media {

Q_DECLARE_LOGGING_CATEGORY(lcPlayback)

namespace {

using Clock = std::chrono::steady_clock;

// The longest the pictures are left alone while playing: how soon the
// position moves on and the end is noticed when no picture is due.
constexpr int lookAtMostEveryMs = 40;

qint64 milliseconds(double seconds) { return std::llround(seconds * 1000); }
double seconds(qint64 milliseconds) { return double(std::max<qint64>(milliseconds, 0)) / 1000; }

}  // namespace

MoviePlayback::MoviePlayback(const QString& path, qint64 start, QObject* parent)
    : QObject(parent), path_(path), shared_(std::make_unique<MovieShared>(seconds(start))) {
    tick_.setSingleShot(true);
    tick_.setTimerType(Qt::PreciseTimer);
    connect(&tick_, &QTimer::timeout, this, &MoviePlayback::present);
    MovieDecoding::Reports reports;
    reports.opened = [this](double duration, QSize size, int turn, bool sound) {
        postToMain(this, [=, this] { opened(milliseconds(duration), size, turn, sound); });
    };
    reports.unplayable = [this] { postToMain(this, [this] { emit changed(); }); };
    reports.picturesArrived = [this] {
        postToMain(this, [this] {
            if (!tick_.isActive()) present();
        });
    };
    decoding_ = std::make_unique<MovieDecoding>(*shared_, path, seconds(start), CancelToken(), std::move(reports));
    thread_ = std::thread([this] { decoding_->run(); });
}

// The decoding thread ends before anything it uses goes.
MoviePlayback::~MoviePlayback() {
    {
        std::lock_guard guard(shared_->lock);
        shared_->stopping = true;
    }
    decoding_->cancel();
    shared_->wake.notify_all();
    thread_.join();
}

qint64 MoviePlayback::position() const {
    std::lock_guard guard(shared_->lock);
    const qint64 position = std::max<qint64>(milliseconds(shared_->clock.position(Clock::now())), 0);
    return duration_ > 0 ? std::min(position, duration_) : position;
}

void MoviePlayback::setPictureBounds(QSize bounds) {
    if (bounds == bounds_) return;
    bounds_ = bounds;
    {
        std::lock_guard guard(shared_->lock);
        shared_->bounds = bounds;
    }
    if (!pictureFrame_ || picture_.size() == fittedSize(size_, bounds)) return;
    // Without memory for the new size, the picture stays as it was, scaled.
    try {
        picture_ = uprightPicture(*pictureFrame_->frame, turn_, fittedSize(size_, bounds));
        emit pictureChanged();
    } catch (const MediaError&) {
    }
}

void MoviePlayback::play() {
    if (!playable_ || playing_) return;
    if (atEnd_) seek(0);
    playing_ = true;
    {
        std::lock_guard guard(shared_->lock);
        shared_->playing = true;
        shared_->clock.run(Clock::now(), sound_);
    }
    shared_->poke();
    present();
    emit changed();
}

void MoviePlayback::pause() {
    if (!playing_) return;
    playing_ = false;
    tick_.stop();
    {
        std::lock_guard guard(shared_->lock);
        shared_->playing = false;
        shared_->clock.stop(Clock::now());
    }
    shared_->poke();
    emit changed();
}

void MoviePlayback::seek(qint64 wanted) {
    if (!playable_) return;
    const double time = duration_ > 0 ? seconds(std::min(wanted, duration_)) : seconds(wanted);
    // Moved to the very end, it stands there as when played to it.
    atEnd_ = duration_ > 0 && wanted >= duration_;
    {
        std::lock_guard guard(shared_->lock);
        ++shared_->generation;
        shared_->seekTo = time;
        shared_->clock.moveTo(time, Clock::now(), playing_ && sound_);
        shared_->pictures.clear();
        shared_->picturesEnded = false;
    }
    shared_->poke();
    emit changed();
}

void MoviePlayback::opened(qint64 duration, QSize size, int turn, bool sound) {
    playable_ = true;
    duration_ = duration;
    size_ = size;
    turn_ = turn;
    sound_ = sound;
    present();
    emit changed();
}

// The first picture of a seek shows at once, playing or not; while playing,
// every picture whose time has come replaces it.
void MoviePlayback::present() {
    if (!playable_) return;
    std::optional<QueuedPicture> due;
    std::optional<double> next;
    double position = 0;
    bool ended = false;
    {
        std::lock_guard guard(shared_->lock);
        position = shared_->clock.position(Clock::now());
        auto& pictures = shared_->pictures;
        if (shownGeneration_ != shared_->generation && !pictures.empty()) {
            shownGeneration_ = shared_->generation;
            due = std::move(pictures.front());
            pictures.pop_front();
        }
        while (playing_ && !pictures.empty() && pictures.front().frame->time <= position) {
            due = std::move(pictures.front());
            pictures.pop_front();
        }
        if (!pictures.empty()) next = pictures.front().frame->time;
        const double end = duration_ > 0 ? double(duration_) / 1000 : pictureTime_;
        ended = playing_ && pictures.empty() && shared_->picturesEnded && position >= end;
    }
    if (due) {
        shared_->poke();
        show(std::move(due->frame), std::move(due->image));
    }
    if (ended) return stopAtEnd();
    if (!playing_) return;
    const int wait = next ? int(std::ceil((*next - position) * 1000)) : lookAtMostEveryMs;
    tick_.start(std::clamp(wait, 1, lookAtMostEveryMs));
    emit changed();
}

void MoviePlayback::show(std::shared_ptr<MovieFrame> frame, QImage image) {
    qCDebug(lcPlayback) << "picture shown at" << frame->time;
    pictureTime_ = frame->time;
    pictureFrame_ = std::move(frame);
    const QSize wanted = fittedSize(size_, bounds_);
    // Made before the bounds changed; without memory for the new size, it
    // shows scaled.
    if (image.size() != wanted) {
        try {
            image = uprightPicture(*pictureFrame_->frame, turn_, wanted);
        } catch (const MediaError&) {
        }
    }
    picture_ = std::move(image);
    emit pictureChanged();
}

// Played to the end: it stands there, paused.
void MoviePlayback::stopAtEnd() {
    pause();
    atEnd_ = true;
    {
        std::lock_guard guard(shared_->lock);
        shared_->clock.moveTo(std::max(double(duration_) / 1000, pictureTime_), Clock::now(), false);
    }
    emit changed();
}

}  // namespace tavero::media
