#pragma once

#include "platform/Result.h"
#include "platform/Scheduler.h"
#include "platform/media/CancelToken.h"
#include "recording/RecordedVideo.h"
#include "recording/RecordedVideoValidation.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace tavero {

// Stands between a screen segment writer and the session: waits, with
// deadlines, for the writer to report its file complete, validates the file
// off the main thread, and delivers exactly one result: the part with the
// first interruption noted, or a ShotError saying why and whether a file was
// kept. The file itself is never deleted here.
//
// Waiting for the writer → validating (watchdog armed) → completed. Once
// validation has begun, new deadlines and finish reports are ignored; once
// completed, everything is. Main thread only: its deadlines run on the
// given Scheduler and the validation answers on the main thread, so whichever
// comes first wins and the rest find it completed. Dropping the finaliser
// cancels its deadlines and abandons a running validation without answering.
class RecordingFinalizer : public QObject {
public:
    // Checks the file at a path, answering once on the main thread.
    using Validate = std::function<void(const QString& path, media::CancelToken cancel,
                                        std::function<void(Result<double>)> answer)>;
    using Completion = std::function<void(Result<RecordedVideo>)>;

    // How long a validation may take before the part is given up.
    static constexpr Seconds validationLimit{15.0};

    RecordingFinalizer(QString url, Completion completion, Validate validate = RecordedVideoValidation::inBackground,
                       Scheduler& scheduler = Scheduler::main());
    ~RecordingFinalizer() override;

    const QString& url() const { return url_; }
    // The first interruption noted; later ones are dropped.
    const std::optional<QString>& interruption() const { return interruption_; }
    bool completed() const { return completed_; }

    void noteInterruption(const QString& message);
    // The writer was asked to stop: unless it reports its file complete first,
    // after `seconds` the part is validated as it is, with `timeoutMessage` as
    // its interruption (when none was noted). An earlier deadline stands.
    void waitForWriter(double seconds, const QString& timeoutMessage);
    // The writer reports its file complete: validate it.
    void writerFinished();

private:
    void validated(Result<double> seconds);
    void finish(Result<RecordedVideo> result);
    ShotError failure(const ShotError& error) const;

    const QString url_;
    const Completion completion_;
    const Validate validate_;
    Scheduler& scheduler_;
    std::optional<QString> interruption_;
    bool completed_ = false;
    std::unique_ptr<ScheduledCall> waiting_;
    std::optional<MonotonicTime> deadline_;
    std::unique_ptr<ScheduledCall> watchdog_;
    std::optional<media::CancelToken> validation_;
};

}  // namespace tavero
