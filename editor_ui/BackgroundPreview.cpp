#include "editor_ui/BackgroundPreview.h"

#include "document/ImageMessages.h"
#include "document/ImageOps.h"
#include "platform/threads/Background.h"

#include <memory>
#include <mutex>

namespace tavero {

namespace {

// The source and its reduced copy, made by whichever preview needs it first.
class PreviewSource {
public:
    explicit PreviewSource(QImage source) : source_(std::move(source)) {}

    QSize size() const { return source_.size(); }
    QImage reducedCopy() {
        const std::lock_guard lock(mutex_);
        if (copy_.isNull()) copy_ = ImageOps::previewSource(source_);
        return copy_;
    }

private:
    const QImage source_;
    std::mutex mutex_;
    QImage copy_;
};

}  // namespace

BackgroundPreview::BackgroundPreview(const QImage& source, QObject* parent) : BackgroundPreview(framing(source), parent) {}

BackgroundPreview::BackgroundPreview(Work work, QObject* parent) : QObject(parent), work_(std::move(work)) {}

BackgroundPreview::Work BackgroundPreview::framing(const QImage& source) {
    auto shared = std::make_shared<PreviewSource>(source);
    return [shared](const FrameOptions& options) {
        // The frame is applied at full size, so a preview that looks fine on
        // the reduced copy must not hide a result beyond the limits.
        ImageOps::framedSize(shared->size(), options, 1);
        return ImageOps::framePreview(shared->size(), shared->reducedCopy(), options);
    };
}

void BackgroundPreview::request(const FrameOptions& options) {
    const quint64 generation = ++generation_;
    runThenDeliver(
        this, [work = work_, options] { return work(options); },
        [this, generation](Result<QImage> result) {
            if (generation != generation_) return;
            if (result) emit previewed(result.value());
            else emit failed(result.error().message());
        },
        ImageOps::messages::cannotRender());
}

}  // namespace tavero
