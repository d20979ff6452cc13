#include "recording/RecordingFinalizer.h"

#include "recording/RecordingMessages.h"

#include <QFileInfo>
#include <QPointer>

#include <cmath>

namespace tavero {

RecordingFinalizer::RecordingFinalizer(QString url, Completion completion, Validate validate, Scheduler& scheduler)
    : url_(std::move(url)), completion_(std::move(completion)), validate_(std::move(validate)), scheduler_(scheduler) {}

RecordingFinalizer::~RecordingFinalizer() {
    if (validation_) validation_->cancel();
}

void RecordingFinalizer::noteInterruption(const QString& message) {
    if (!completed_ && !interruption_) interruption_ = message;
}

void RecordingFinalizer::waitForWriter(double seconds, const QString& timeoutMessage) {
    if (completed_ || validation_) return;
    const Seconds wait(std::isfinite(seconds) && seconds > 0 ? seconds : 0);
    const MonotonicTime candidate = scheduler_.now() + std::chrono::duration_cast<MonotonicTime::duration>(wait);
    if (deadline_ && candidate >= *deadline_) return;
    deadline_ = candidate;
    waiting_ = scheduler_.after(wait, [this, timeoutMessage] {
        noteInterruption(timeoutMessage);
        writerFinished();
    });
}

void RecordingFinalizer::writerFinished() {
    if (completed_ || validation_) return;
    waiting_.reset();
    watchdog_ = scheduler_.after(validationLimit,
                                 [this] { finish(ShotError(RecordingMessages::validationTimedOut())); });
    validation_ = media::CancelToken();
    const media::CancelToken token = *validation_;
    // A check that answers at once may complete, and so drop, this finaliser
    // before it returns: call copies.
    const Validate validate = validate_;
    const QString url = url_;
    validate(url, token, [self = QPointer(this), token](Result<double> seconds) {
        if (self && !token.cancelled()) self->validated(std::move(seconds));
    });
}

void RecordingFinalizer::validated(Result<double> seconds) {
    if (!seconds) return finish(seconds.error());
    finish(RecordedVideo{url_, seconds.value(), interruption_});
}

void RecordingFinalizer::finish(Result<RecordedVideo> result) {
    if (completed_) return;
    completed_ = true;
    waiting_.reset();
    watchdog_.reset();
    if (validation_) validation_->cancel();
    // The completion may well drop this finaliser: nothing of it is touched afterwards.
    Completion deliver = completion_;
    if (result) return deliver(std::move(result));
    deliver(failure(result.error()));
}

ShotError RecordingFinalizer::failure(const ShotError& error) const {
    const QString reason = interruption_.value_or(error.message());
    const bool kept = QFileInfo::exists(url_);
    return ShotError(reason + QStringLiteral("\n") + (kept ? RecordingMessages::fileKept(url_) : RecordingMessages::noFileMade()));
}

}  // namespace tavero
