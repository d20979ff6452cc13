#pragma once

#include <QList>
#include <QRect>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <optional>

namespace tavero {

// One monitor of the X screen. `pixelFrame` is in device pixels of the root
// window (top-left origin); Qt places the screen's points at the same origin
// and divides its size by `scale`.
struct DisplayInfo {
    quint32 id = 0;  // stable across launches: derived from the monitor's name
    QString name;
    QRect pixelFrame;
    double scale = 1;
    bool primary = false;

    QSizeF pointSize() const { return QSizeF(pixelFrame.size()) / scale; }
    QRectF pointFrame() const { return {QPointF(pixelFrame.topLeft()), pointSize()}; }
};

// One window on screen. `frame` is its visible extent in root pixels,
// window-manager decorations included.
struct WindowInfo {
    quint32 id = 0;
    QRect frame;
    std::optional<qint64> processID;
    // 0 for ordinary windows; above-others, docks and pop-ups rank higher.
    int layer = 0;
    QString title;
    // The name of the program that shows it (its WM_CLASS class), when it says.
    std::optional<QString> applicationName;
};

// Our snapshot of what can be captured: displays, and the on-screen windows
// front to back (desktop windows left out).
struct ShareableContent {
    QList<DisplayInfo> displays;
    QList<WindowInfo> windows;

    const DisplayInfo* display(quint32 id) const {
        for (const DisplayInfo& candidate : displays)
            if (candidate.id == id) return &candidate;
        return nullptr;
    }
};

// What one grab captures: a whole display, or one window's own pixels.
struct ContentFilter {
    std::optional<DisplayInfo> display;
    std::optional<WindowInfo> window;
    // A display's grab shows what lies beneath this program's windows: those
    // listed in `ownWindows` and the registered floating ones (OwnWindows).
    // A window's shows its own pixels, whatever covers it, ours included.
    bool withoutOwnWindows = false;
    QList<quint32> ownWindows;

    static ContentFilter forDisplay(const DisplayInfo& display) { return {display, std::nullopt, false, {}}; }
    static ContentFilter forWindow(const WindowInfo& window) { return {std::nullopt, window, false, {}}; }
};

// The stable identifier of a monitor called `name` (never 0).
quint32 displayIdentifier(const QString& name);

}  // namespace tavero
