#include "camera/SmartVideoRenderer.h"

#include "camera/SmartVideoMessages.h"
#include "camera/SmartVideoRender.h"
#include "platform/threads/MainThread.h"
#include "platform/threads/ThreadName.h"

#include <thread>

namespace tavero {

namespace {

constexpr Seconds progressInterval{0.25};

SmartVideoExporter::Outcome rendered(const QString& source, const QString& destination,
                                     const RecordingProject& project, const media::CancelToken& cancel,
                                     RenderProgress& progress) {
    try {
        SmartVideoRender::render(source, destination, project, cancel, progress);
        return destination;
    } catch (const ShotError& error) {
        if (cancel.cancelled()) return SmartVideoExporter::Cancelled{};
        return error;
    } catch (...) {
        if (cancel.cancelled()) return SmartVideoExporter::Cancelled{};
        return ShotError(SmartVideoMessages::writeFailed());
    }
}

}  // namespace

// Everything of one render; a later render never touches an earlier one's.
struct SmartVideoRenderer::Run {
    media::CancelToken cancel;
    RenderProgress progress;
    Progress onProgress;
    Completion completion;
    std::unique_ptr<ScheduledCall> nextReport;
    std::thread worker;
};

SmartVideoRenderer::SmartVideoRenderer(Scheduler& scheduler) : scheduler_(scheduler) {}

SmartVideoRenderer::~SmartVideoRenderer() {
    if (!run_) return;
    run_->nextReport.reset();
    run_->cancel.cancel();
    if (run_->worker.joinable()) run_->worker.join();
}

void SmartVideoRenderer::exportVideo(const QString& source, const QString& destination,
                                     const RecordingProject& project, Progress progress, Completion completion) {
    if (run_) {
        postToMain(&answers_, [completion = std::move(completion)] {
            if (completion) completion(ShotError(SmartVideoMessages::notCreated()));
        });
        return;
    }
    auto run = std::make_shared<Run>();
    run->onProgress = std::move(progress);
    run->completion = std::move(completion);
    run_ = run;
    reportProgress(run, Seconds(0));
    run->worker = std::thread([this, run, source, destination, project] {
        nameThisThread("tavero-render");
        Outcome outcome = rendered(source, destination, project, run->cancel, run->progress);
        postToMain(&answers_, [this, run, outcome = std::move(outcome)]() mutable { finish(run, std::move(outcome)); });
    });
}

void SmartVideoRenderer::cancel() {
    if (run_) run_->cancel.cancel();
}

void SmartVideoRenderer::reportProgress(const std::shared_ptr<Run>& run, Seconds delay) {
    std::weak_ptr<Run> weak = run;
    run->nextReport = scheduler_.after(delay, [this, weak] {
        const std::shared_ptr<Run> current = weak.lock();
        if (!current || current != run_) return;
        if (current->onProgress) current->onProgress(current->progress.fraction());
        if (current == run_) reportProgress(current, progressInterval);
    });
}

void SmartVideoRenderer::finish(const std::shared_ptr<Run>& run, Outcome outcome) {
    if (run->worker.joinable()) run->worker.join();
    if (run != run_) return;
    run_.reset();
    run->nextReport.reset();
    if (std::holds_alternative<QString>(outcome) && run->onProgress) run->onProgress(1.0);
    if (run->completion) run->completion(std::move(outcome));
}

}  // namespace tavero
