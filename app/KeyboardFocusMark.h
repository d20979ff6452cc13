#pragma once

#include <QObject>

namespace tavero {

// Keeps the focus mark showing for a user of the keyboard. Qt marks the
// focused control only once Tab or a shortcut has moved the focus in its
// window, and forgets that whenever the window is shown again: after a shot
// or a take that hides the editor, the editor came back with a control
// focused but unmarked, and the first Tab that showed the mark also left
// that control. While the last thing the user pressed was a key (a global
// hot key too), every window shown marks its focus; a click ends that, as
// it does in Qt.
//
// Installed on the application for its lifetime; main thread.
class KeyboardFocusMark : public QObject {
    Q_OBJECT
public:
    KeyboardFocusMark();
    ~KeyboardFocusMark() override;

    // A key pressed that reached no window of ours, such as a global hot key.
    void keyPressed() { keyboardLast_ = true; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool keyboardLast_ = false;
};

}  // namespace tavero
