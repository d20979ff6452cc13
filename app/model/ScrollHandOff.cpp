// A scrolling screenshot: the area capture hands its picture to the session,
// the session's state is mirrored while it runs, and the long image it
// delivers opens in the editor and is always kept in the library.
#include "app/model/AppModel.h"

#include "app/model/ModelMessages.h"
#include "capture/ScrollMessages.h"
#include "document/ShotDocument.h"

#include <QPointer>

namespace tavero {

namespace {

// Only a notice about frames that did not line up means that the last
// screens were left out; any other notice (nothing scrolled, a stream that
// stopped) stands alone.
QString statusAfterNotice(const QString& notice) {
    return notice == ScrollMessages::notAligned() ? ModelMessages::scrollingKept(notice) : notice;
}

}  // namespace

// The editor stays out of the way until the long image arrives.
void AppModel::startScrolling(const QImage& firstFrame) {
    const std::optional<CaptureRegion> region = capture_->lastRegion();
    if (!region) {
        // No area was ever chosen (a full-screen grab): nothing to scroll, so
        // the picture stays as a still and the window comes back for it.
        setStatus(ModelMessages::captureReady());
        invoke(showWindow_);
        return;
    }
    invoke(hideEditor_);
    scrollSession_->start(firstFrame, *region, *capture_);
}

// Frames arrive by themselves; this only tells the user so.
void AppModel::addScrollFrame() { scrollSession_->sample(false); }

void AppModel::finishScroll() { scrollSession_->finish(); }

void AppModel::scrollingChanged() {
    setScrollCount(scrollSession_->count());
    if (scrollSession_->isActive()) setStatus(scrollSession_->message());
    invoke(updateMenu_);
}

void AppModel::scrollingCompleted(const QImage& image, const std::optional<QString>& notice) {
    document_->open(image, ModelMessages::scrollingCapture(), {});
    changeFlow([](WorkspaceFlow& flow) { flow.openContent(false); });
    QPointer<AppModel> self(this);
    library_->persist(image, LocalLibrary::Prefix::scrolling, QStringLiteral("png"),
                      [self, notice](Result<CaptureRecord> result) {
                          if (!self) return;
                          self->saved(result);
                          if (result && notice) self->setStatus(statusAfterNotice(*notice));
                      });
    invoke(showWindow_);
}

}  // namespace tavero
