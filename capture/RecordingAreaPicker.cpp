// The coordinator's roads that answer with a region rather than a still:
// the recording-area picker and the region sampler.
#include "capture/ApplicationWindows.h"
#include "capture/CaptureCoordinator.h"
#include "capture/CaptureMessages.h"
#include "capture/ScrollMessages.h"
#include "capture/SelectionPresenter.h"
#include "document/ImageOps.h"

#include <QPointer>

namespace tavero {

namespace messages = CaptureMessages;

namespace {
// Smaller areas are taken for a slip of the hand rather than a choice.
constexpr double smallestRecordingSide = 40;
}  // namespace

void CaptureCoordinator::selectRecordingArea(quint32 displayID, Completion<CaptureRegion> completion) {
    if (busy_) {
        completion(ShotError(messages::busy()));
        return;
    }
    setBusy(true);
    Completion<CaptureRegion> answer = [this, completion = std::move(completion)](Result<CaptureRegion> result) {
        setBusy(false);
        completion(std::move(result));
    };
    hideThen([this, displayID, answer] {
        content([this, displayID, answer](Result<ShareableContent> content) {
            if (!content) return answer(content.error());
            const DisplayInfo* found = content.value().display(displayID);
            if (!found) return answer(ShotError(messages::recordingScreenGone()));
            snapshot(filter(*found), std::nullopt, [this, display = *found, answer](Result<QImage> frozen) {
                if (!frozen) return answer(frozen.error());
                pickRecordingArea(display, frozen.value(), answer);
            });
        });
    });
}

void CaptureCoordinator::pickRecordingArea(const DisplayInfo& display, const QImage& frozen,
                                           Completion<CaptureRegion> answer) {
    SelectionRequest request;
    request.image = frozen;
    request.display = display;
    request.prompt = messages::recordingAreaTitle();
    request.title = messages::recordingAreaTitle();
    const bool shown = presentOverlay(request, [id = display.id, answer](std::optional<QRectF> selection) {
        if (!selection || selection->width() < smallestRecordingSide || selection->height() < smallestRecordingSide)
            return answer(ShotError(messages::areaCancelled()));
        answer(CaptureRegion{id, *selection});
    });
    if (!shown) answer(ShotError(messages::areaCancelled()));
}

void CaptureCoordinator::makeRegionSampler(const CaptureRegion& region, Completion<RegionSampler> completion) {
    content([this, region, completion](Result<ShareableContent> content) {
        if (!content) return completion(content.error());
        const DisplayInfo* display = content.value().display(region.displayID);
        if (!display) return completion(ShotError(ScrollMessages::screenGone()));
        QPointer<CaptureCoordinator> self(this);
        completion(RegionSampler([self, display = *display, rect = region.rect](Completion<QImage> done) {
            if (!self) return done(ShotError(messages::snapshotFailed()));
            self->snapshot(filter(display), false, [display, rect, done](Result<QImage> image) {
                if (!image) return done(image.error());
                Result<QImage> area = crop(image.value(), rect, display);
                if (area) area = area.value().convertToFormat(ImageOps::surfaceFormat);
                done(std::move(area));
            });
        }));
    });
}

void CaptureCoordinator::captureRegion(const CaptureRegion& region, Completion<QImage> completion) {
    makeRegionSampler(region, [completion](Result<RegionSampler> sampler) {
        if (!sampler) return completion(sampler.error());
        sampler.value()(completion);
    });
}

}  // namespace tavero
