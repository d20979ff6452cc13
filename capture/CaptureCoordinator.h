#pragma once

#include "capture/CaptureMode.h"
#include "capture/CaptureRegion.h"
#include "platform/Result.h"
#include "platform/desktop/ScreenSource.h"
#include "platform/process/RunningApplication.h"

#include <QImage>
#include <QObject>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace tavero {

class ApplicationWindows;
class SelectionPresenter;
struct SelectionRequest;

// How long still capture waits; tests shorten the deadlines.
struct CaptureTiming {
    // The longest wait for this program's windows, once hidden, to leave
    // the screen before it is captured.
    std::chrono::milliseconds settle{200};
    std::chrono::milliseconds contentDeadline{15000};
    std::chrono::milliseconds snapshotDeadline{15000};
    // A picture without this program's windows, taken as some of them
    // leave (the editor hides as a take begins), waits this long at most for
    // them to go, and then for what they covered to be drawn again: a
    // program beneath, on a busy machine, may wait its turn that long.
    std::chrono::milliseconds leaving{500};
    std::chrono::milliseconds redrawn{2000};
};

// The one road of every still screenshot, one at a time: hides this program,
// freezes the display under the pointer, lets the user choose an area or a
// window on the selection overlay, crops, remembers the last area in the
// "lastRegion" user default, and answers with an image or a ShotError.
//
// Lives on the main thread: call every method there; every completion runs
// there. Owns the open overlay window; shares the screen source with the
// background grabs it starts, whose answers race a watchdog through a
// CompletionGate.
//
// The widget layer installs what the coordinator cannot see:
// - a SelectionPresenter, which opens the overlay (capture/ui's SelectionOverlay);
// - an ApplicationWindows, which hides this program's windows before a capture.
// The coordinator never shows the windows again; the caller does.
class CaptureCoordinator : public QObject {
    Q_OBJECT
public:
    using Mode = CaptureMode;
    template <typename T>
    using Completion = std::function<void(Result<T>)>;

    // Without a screen (no X display) every capture fails with its sentence.
    explicit CaptureCoordinator(std::shared_ptr<ScreenSource> screen, CaptureTiming timing = {},
                                QObject* parent = nullptr);
    ~CaptureCoordinator() override;

    void setSelectionPresenter(SelectionPresenter* presenter);
    void setApplicationWindows(ApplicationWindows* windows);

    // Whether stills show the pointer; the model copies its own setting in.
    bool includeCursor() const { return includeCursor_; }
    void setIncludeCursor(bool include);
    // The program in front once this one hid; for a scrolling selection, the
    // owner of the window under it.
    const std::optional<RunningApplication>& targetApplication() const { return targetApplication_; }
    // The last area chosen on the overlay; every change is stored.
    const std::optional<CaptureRegion>& lastRegion() const { return lastRegion_; }
    void setLastRegion(std::optional<CaptureRegion> region);
    bool busy() const { return busy_; }
    bool overlayOpen() const { return overlay_ != nullptr; }

    // Whether the screen may be read now, asking nobody; true without a
    // screen, where every capture fails with its own sentence instead.
    bool hasPermission() const { return !screen_ || screen_->accessGranted(); }

    void capture(Mode mode, bool scrolling, Completion<QImage> completion);

    // The displays and windows, behind the content watchdog.
    void content(Completion<ShareableContent> completion);
    // The ids of the windows on screen now, front to back; empty without a screen.
    QList<quint32> windowOrder();
    // The display whose frame holds the pointer, else the primary one; none
    // without a screen.
    std::optional<DisplayInfo> pointerDisplay();
    // What a grab of `display` captures. This program's windows are not
    // left out by the grab: they are hidden before any capture.
    static ContentFilter filter(const DisplayInfo& display);
    // The grab of `display` without this program's windows, those `content`
    // lists and the registered floating ones: for a picture taken while they
    // may be on the screen, as the recording's background still is.
    static ContentFilter filter(const DisplayInfo& display, const ShareableContent& content);
    // One window by its own pixels, whatever covers it, this program's
    // windows included: the set-up's preview of the window it will record.
    static ContentFilter filter(const WindowInfo& window);
    // One grab behind the snapshot watchdog; no `includeCursor` means ours.
    // A display filter without our windows also leaves out those shown now,
    // which the content may have missed, and those hidden after this call:
    // where a program beneath has not drawn again what one covered, the
    // picture stays black there.
    void snapshot(const ContentFilter& filter, std::optional<bool> includeCursor, Completion<QImage> completion);
    // Brings the front window of the program `processID` forward with the
    // keyboard, as a taskbar would; nothing without a screen.
    void activate(qint64 processID);

    // The recording studio's area: the user drags it on a frozen picture of
    // `displayID`. One at a time with still captures; hides this program and
    // leaves showing it again to the caller. Escape, or an area under 40 × 40
    // points, answers "已取消框选".
    void selectRecordingArea(quint32 displayID, Completion<CaptureRegion> completion);

    // Takes a fresh picture of a fixed region each time it is called, without
    // the pointer, hiding nothing; its answers come on the main thread.
    using RegionSampler = std::function<void(Completion<QImage>)>;
    void makeRegionSampler(const CaptureRegion& region, Completion<RegionSampler> completion);
    // One picture of the region.
    void captureRegion(const CaptureRegion& region, Completion<QImage> completion);

signals:
    // busy, lastRegion, targetApplication or includeCursor changed.
    void changed();

private:
    struct Road;

    void setBusy(bool busy);
    // Hides this program's windows and calls `next` once they have left the
    // screen and what they covered is drawn again, at most `settle` later;
    // at once when none was shown.
    void hideThen(std::function<void()> next);
    // Watches `windows` leave the screen; null where the screen cannot.
    std::shared_ptr<ScreenSource::UncoverWait> watchUncovering(const QList<quint32>& windows);
    void keepWindowPixels();
    void afterSettling(std::shared_ptr<Road> road);
    void withContent(std::shared_ptr<Road> road, Result<ShareableContent> content);
    void withSnapshot(std::shared_ptr<Road> road, Result<QImage> frozen);
    void withSelection(std::shared_ptr<Road> road, std::optional<QRectF> selection);
    void captureWindowAt(std::shared_ptr<Road> road, const QRectF& point);
    void findScrollTarget(const Road& road, const QRectF& selection);
    void showOverlay(std::shared_ptr<Road> road);
    // False when no presenter is installed.
    bool presentOverlay(const SelectionRequest& request, std::function<void(std::optional<QRectF>)> answer);
    void pickRecordingArea(const DisplayInfo& display, const QImage& frozen, Completion<CaptureRegion> answer);
    // `rect` in the display's points, cut out of the display's frozen picture.
    static Result<QImage> crop(const QImage& image, const QRectF& rect, const DisplayInfo& display);

    std::shared_ptr<ScreenSource> screen_;
    CaptureTiming timing_;
    SelectionPresenter* presenter_ = nullptr;
    ApplicationWindows* windows_ = nullptr;
    bool includeCursor_ = false;
    std::optional<RunningApplication> targetApplication_;
    std::optional<CaptureRegion> lastRegion_;
    std::unique_ptr<QObject> overlay_;
    // The windows' own pixels, kept during a window capture only.
    std::shared_ptr<void> windowPixels_;
    bool busy_ = false;
};

}  // namespace tavero
