#pragma once

#include <QPoint>
#include <QRect>

#include <memory>
#include <optional>

namespace tavero {

// The mouse buttons the pointer recorder tells apart, as bits.
enum PointerButton : int { leftButton = 1, middleButton = 2, rightButton = 4 };

struct PointerState {
    // Root pixels, with the origin at the top-left of the X screen.
    QPoint position;
    // The PointerButton bits held now.
    int buttons = 0;

    friend bool operator==(const PointerState&, const PointerState&) = default;
};

// Where the pointer is and where a recorded window lies now, read 30 times a
// second while a screen recording runs, so every answer is one quick round
// trip. Main thread.
class PointerSource {
public:
    virtual ~PointerSource() = default;

    // None when the X server does not answer.
    virtual std::optional<PointerState> pointer() = 0;
    // The window's frame in root pixels, decorations included, as the window
    // list reports it (WindowInfo::frame); none when the window is gone.
    virtual std::optional<QRect> windowFrame(quint32 window) = 0;
};

// The X11 pointer, or the fake one when TAVERO_PLATFORM=fake. Null when no X
// display can be opened.
std::shared_ptr<PointerSource> makePointerSource();

}  // namespace tavero
