#include "capture/ScrollingCapture.h"

#include "capture/CaptureCoordinator.h"
#include "capture/ScrollControls.h"
#include "capture/ScrollFrameStream.h"
#include "capture/ScrollMessages.h"
#include "document/ImageMessages.h"
#include "document/ImageOps.h"
#include "platform/desktop/DisplayScales.h"
#include "platform/threads/Background.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QPointer>
#include <QTimer>

#include <stdexcept>

namespace tavero {

Q_LOGGING_CATEGORY(lcScrolling, "tavero.scroll")

ScrollingCapture::ScrollingCapture(std::shared_ptr<ScreenSource> screen, ScrollingCaptureTiming timing,
                                   QObject* parent)
    : QObject(parent), screen_(std::move(screen)), timing_(timing), message_(ScrollMessages::ready()) {
    makeStream_ = [screen = screen_] { return std::make_unique<ScrollFrameStream>(screen); };
}

ScrollingCapture::~ScrollingCapture() = default;

void ScrollingCapture::setControlsPresenter(ScrollControlsPresenter* presenter) { presenter_ = presenter; }

void ScrollingCapture::setStreamFactory(StreamFactory factory) { makeStream_ = std::move(factory); }

void ScrollingCapture::setMessage(const QString& message) {
    if (message == message_) return;
    message_ = message;
    emit stateChanged();
}

void ScrollingCapture::start(const QImage& image, const CaptureRegion& region, CaptureCoordinator& capture) {
    if (active_) {
        releaseStream();
        controls_.reset();
    }
    ++generation_;
    active_ = true;
    finishing_ = false;
    sampling_ = false;
    count_ = 1;
    height_ = image.height();
    last_ = image.convertToFormat(ImageOps::surfaceFormat);
    composite_ = ScrollComposite(last_);
    issue_.reset();
    acceptedSignature_.clear();
    receivedFirstFrame_ = false;
    streamEnded_ = false;
    pendingFrame_ = QImage();
    target_ = capture.targetApplication();
    message_ = ScrollMessages::connecting();
    // The page goes back in front; our bar will float above it without taking the keyboard.
    if (target_ && screen_) {
        try {
            screen_->activate(target_->processID);
        } catch (const std::runtime_error& error) {
            qCWarning(lcScrolling) << "cannot bring the page forward:" << error.what();
        }
    }
    showControls(region);
    emit stateChanged();
    emit changed();
    QPointer<ScrollingCapture> self(this);
    capture.content([self, generation = generation_, region](Result<ShareableContent> content) {
        if (self) self->withContent(generation, region, std::move(content));
    });
}

void ScrollingCapture::showControls(const CaptureRegion& region) {
    if (!presenter_ || !screen_) return;
    QList<DisplayInfo> displays;
    try {
        displays = screen_->displays();
    } catch (const std::runtime_error&) {
        return;
    }
    applyScreenScales(displays);
    for (const DisplayInfo& display : displays)
        if (display.id == region.displayID) controls_ = presenter_->open(*this, display, region.rect);
}

void ScrollingCapture::withContent(quint64 generation, const CaptureRegion& region,
                                   Result<ShareableContent> content) {
    if (!active_ || generation != generation_) return;
    stream_ = makeStream_();
    QPointer<ScrollingCapture> self(this);
    auto frame = [self](const QImage& picture) {
        if (self) self->receive(picture);
    };
    // The user finishes by hand and keeps what was joined.
    auto failed = [self](const ShotError& error) {
        if (!self) return;
        self->issue_ = error.message();
        self->setMessage(ScrollMessages::interrupted());
    };
    try {
        if (!content) throw content.error();
        stream_->start(region, content.value(), std::move(frame), std::move(failed));
    } catch (const ShotError& error) {
        issue_ = error.message();
        setMessage(ScrollMessages::cannotContinue());
        streamEnded_ = true;
        if (finishing_) deliver();
        return;
    }
    setMessage(ScrollMessages::streaming());
    if (finishing_) stopStream();
}

bool ScrollingCapture::targetInFront() {
    if (!target_) return true;
    std::optional<qint64> front;
    try {
        if (screen_) front = screen_->activeProcess();
    } catch (const std::runtime_error&) {
    }
    return front && (*front == target_->processID || *front == QCoreApplication::applicationPid());
}

void ScrollingCapture::receive(const QImage& frame) {
    if (!active_) return;
    if (!targetInFront()) {
        setMessage(ScrollMessages::paused());
        if (finishing_ && streamEnded_ && !sampling_) deliver();
        return;
    }
    if (!receivedFirstFrame_) {
        // The first live frame replaces the start image; the count stays 1.
        receivedFirstFrame_ = true;
        last_ = frame;
        composite_ = ScrollComposite(frame);
        height_ = frame.height();
        acceptedSignature_ = ImageOps::scrollSignature(frame);
        emit stateChanged();
        emit changed();
    }
    if (sampling_) {
        pendingFrame_ = frame;
        return;
    }
    if (last_.isNull() || composite_.isNull()) return;
    sampling_ = true;
    compare(frame);
}

void ScrollingCapture::compare(const QImage& frame) {
    runThenDeliver(
        this,
        [frame, accepted = acceptedSignature_, last = last_, composite = composite_] {
            return ScrollComparison::of(frame, accepted, last, composite);
        },
        [this, generation = generation_, frame](Result<ScrollComparison> comparison) {
            apply(generation, frame, std::move(comparison));
        },
        ImageOps::messages::cannotRender());
}

void ScrollingCapture::apply(quint64 generation, const QImage& frame, Result<ScrollComparison> comparison) {
    if (!active_ || generation != generation_) return;
    if (!comparison) {
        issue_ = comparison.error().message();
        setMessage(*issue_);
    } else if (const ScrollComparison& result = comparison.value(); result.composite) {
        accept(frame, *result.composite, result.signature);
    } else if (result.message) {
        issue_ = *result.message;
        setMessage(*result.message);
    } else if (result.unchanged) {
        setMessage(ScrollMessages::unchanged());
    }
    sampling_ = false;
    if (!pendingFrame_.isNull()) receive(std::exchange(pendingFrame_, QImage()));
    else if (finishing_ && streamEnded_) deliver();
}

// Only accepted frames move the reference the next frame is compared with.
void ScrollingCapture::accept(const QImage& frame, const ScrollComposite& composite, const QByteArray& signature) {
    last_ = frame;
    composite_ = composite;
    acceptedSignature_ = signature;
    ++count_;
    height_ = composite_.height();
    issue_.reset();
    message_ = ScrollMessages::joined();
    emit stateChanged();
    emit changed();
}

void ScrollingCapture::sample(bool final) {
    if (final) return finish();
    setMessage(ScrollMessages::continuous());
}

void ScrollingCapture::finish() {
    if (!active_ || finishing_) return;
    finishing_ = true;
    message_ = ScrollMessages::finishing();
    emit stateChanged();
    // A stream whose stop never answers must not keep the session (and a
    // quit that waits for it) finishing forever.
    QTimer::singleShot(timing_.finishDeadline, this, [this, generation = generation_] {
        if (!active_ || !finishing_ || generation != generation_) return;
        qCWarning(lcScrolling) << "the frame stream did not stop in time; delivering what was joined";
        deliver();
    });
    if (stream_) stopStream();
    else if (issue_) deliver();
}

void ScrollingCapture::stopStream() {
    QPointer<ScrollingCapture> self(this);
    stream_->stop([self, generation = generation_] {
        if (self) self->streamStopped(generation);
    });
}

void ScrollingCapture::streamStopped(quint64 generation) {
    if (!active_ || generation != generation_) return;
    streamEnded_ = true;
    if (!sampling_) deliver();
}

void ScrollingCapture::deliver() {
    if (!active_ || composite_.isNull()) return;
    QImage image;
    std::optional<QString> notice;
    try {
        image = composite_.image();
        if (issue_) notice = *issue_;
        else if (count_ <= 1) notice = ScrollMessages::nothingJoined();
    } catch (const ShotError& error) {
        // No memory for the long image: the last screen, and why.
        image = last_;
        notice = error.message();
    }
    active_ = false;
    ++generation_;
    releaseStream();
    pendingFrame_ = QImage();
    controls_.reset();
    last_ = QImage();
    composite_ = ScrollComposite();
    acceptedSignature_.clear();
    count_ = 0;
    height_ = 0;
    finishing_ = false;
    emit stateChanged();
    emit changed();
    emit completed(image, notice);
}

void ScrollingCapture::presentControls() {
    if (controls_) controls_->present();
}

// The stream may be inside its own callback: it goes on the next turn of
// the event loop, which also drops whatever it still has on its way.
void ScrollingCapture::releaseStream() {
    if (!stream_) return;
    postToMain([stream = std::shared_ptr<ScrollFrameSource>(std::move(stream_))] {});
}

}  // namespace tavero
