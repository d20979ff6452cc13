#pragma once

#include "platform/desktop/ScreenFeed.h"
#include "platform/desktop/X11Connection.h"
#include "platform/desktop/X11FollowedWindow.h"
#include "platform/desktop/X11ImageGrabber.h"
#include "platform/desktop/X11OwnWindowRemoval.h"
#include "platform/files/FileDescriptor.h"

#include <memory>
#include <optional>

namespace tavero::x11 {

// The screen as a recording reads it (openScreenFeed), on a connection of
// its own. Changes come as events: DAMAGE on the root (an area) or on the
// followed window, XFixes for the pointer's shape, RandR for the displays;
// the pointer's position, which X reports to no one, is asked at most every
// 1/30 s while a wait runs and only when the pointer is drawn. A still
// screen therefore costs no grab and, with the pointer drawn, 30 small round
// trips a second. Made on any thread, then used by one (wake(): any).
class ScreenFeed final : public PictureFeed {
public:
    // Throws Lost when the window is gone or the area lies on no display,
    // std::runtime_error when no display can be opened.
    explicit ScreenFeed(const ScreenScope& scope);
    ~ScreenFeed() override;

    QSize size() const override { return size_; }
    void keepPictures(int count) override;
    bool waitForChange(MonotonicTime deadline) override;
    void wake() override;
    QImage grab() override;

private:
    void drainEvents();
    void handle(const xcb_generic_event_t& event);
    void onRootDamage(const QRect& drawn);
    bool watchesTicks() const;
    void tick();
    bool pointerMatters(QPoint pointer) const;
    void checkDisplays();
    QImage grabArea();
    QImage grabVisible(const QRect& visible);
    void drawPointer(QImage& image, QPoint origin);
    // The last picture, no longer held here.
    ShownPicture takeShown();
    QList<xcb_window_t> ownWindows() const;
    [[noreturn]] void lose(const QString& description);

    Connection connection_;
    ImageGrabber grabber_{connection_};
    OwnWindowRemoval removal_{connection_, grabber_};
    const ScreenScope scope_;
    const std::optional<uint8_t> damageEvent_;
    std::optional<uint8_t> pointerEvent_;
    std::optional<uint8_t> displayEvent_;
    FileDescriptor wakeUp_;
    std::unique_ptr<FollowedWindow> window_;
    uint32_t damage_ = 0;
    QSize size_;
    // A change seen and not yet grabbed; the first grab is one.
    bool pending_ = true;
    bool displaysChanged_ = false;
    std::optional<QString> lost_;
    MonotonicTime nextTick_;
    QPoint pointer_;
    // How far the pointer's image reaches from its position.
    int pointerReach_ = 64;
    // The last picture: a followed window's shows again while it is hidden,
    // an area's holds what our windows come to cover.
    QImage last_;
    // Where the pointer was drawn into it, in root pixels, and what it
    // covered there.
    QRect pointerPlace_;
    QImage beneathPointer_;
};

}  // namespace tavero::x11
