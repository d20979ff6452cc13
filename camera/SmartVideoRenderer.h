#pragma once

#include "camera/SmartVideoExporter.h"
#include "platform/Scheduler.h"

#include <QObject>

#include <memory>

namespace tavero {

// The program's smart video exporter: each render runs on threads of its
// own (SmartVideoRender) while the main thread hears of its progress every
// quarter of a second, the first time at once, and of its end exactly once.
// One render at a time: a render asked for while another runs is refused
// with "无法创建自动运镜导出任务。" and the running one goes on untouched.
// Main thread only.
class SmartVideoRenderer final : public SmartVideoExporter {
public:
    explicit SmartVideoRenderer(Scheduler& scheduler = Scheduler::main());
    // Cancels a running render and waits for its threads; its callbacks are
    // not called any more.
    ~SmartVideoRenderer() override;
    SmartVideoRenderer(const SmartVideoRenderer&) = delete;
    SmartVideoRenderer& operator=(const SmartVideoRenderer&) = delete;

    void exportVideo(const QString& source, const QString& destination, const RecordingProject& project,
                     Progress progress, Completion completion) override;
    void cancel() override;

    // A render runs: from exportVideo until just before its completion.
    bool rendering() const { return bool(run_); }

private:
    struct Run;
    void reportProgress(const std::shared_ptr<Run>& run, Seconds delay);
    void finish(const std::shared_ptr<Run>& run, Outcome outcome);

    Scheduler& scheduler_;
    std::shared_ptr<Run> run_;
    // Answers posted by a render's thread go through it, so none arrives
    // once the renderer is gone.
    QObject answers_;
};

}  // namespace tavero
