#pragma once

#include "platform/PictureFeed.h"

#include <QList>
#include <QRect>

#include <memory>
#include <optional>

namespace tavero {

// What a screen part records, in root pixels.
struct ScreenScope {
    // The area recorded (a display's frame, an area of it). For a window,
    // its frame when the take starts.
    QRect area;
    // Record only this window, by its own pixels, and follow it as it moves.
    std::optional<quint32> window;
    // Draw the pointer into the pictures.
    bool cursor = false;
    // Our own windows known when the take starts (besides the registered
    // ones of OwnWindows), kept out of the pictures.
    QList<quint32> ownWindows;
};

// What a screen feed's PictureFeed::Lost says.
namespace ScreenFeedLoss {
inline QString windowClosed() { return QStringLiteral("窗口已关闭"); }
inline QString displayGone() { return QStringLiteral("显示器已断开"); }
inline QString screenUnreadable() { return QStringLiteral("无法读取屏幕"); }
}  // namespace ScreenFeedLoss

// The screen of the X server named by $DISPLAY as a recording reads it: a
// change is the screen under the scope drawn again (XDamage), or, when the
// pointer is drawn, the pointer moved or its shape changed (XFixes);
// pictures of an area have our own windows taken out (see OwnWindows), a
// window's show its own pixels, which ours never cover. Throws
// PictureFeed::Lost when no display can be opened ("无法读取屏幕"), the
// window is gone ("窗口已关闭") or the area lies on no display ("显示器已断开").
std::unique_ptr<PictureFeed> openScreenFeed(const ScreenScope& scope);

}  // namespace tavero
