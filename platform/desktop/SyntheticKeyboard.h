#pragma once

#include <QChar>
#include <QtGlobal>

#include <memory>

namespace tavero {

// Types on the keyboard of $DISPLAY through the XTEST extension, as a
// person would: the server treats the keys as real ones, so grabs, focus and
// auto-repeat apply. For the tests and benchmarks that press hot keys. Owns
// its own connection; use it from one thread.
class SyntheticKeyboard {
public:
    enum class Key { control, shift, numLock, capsLock, escape };

    // Throws std::runtime_error without a display or without XTEST.
    SyntheticKeyboard();
    ~SyntheticKeyboard();

    void press(Key key);
    void release(Key key);
    // A letter or digit, by the symbol on its unshifted key cap.
    void press(QChar key);
    void release(QChar key);
    // Presses the modifiers and `key`, then releases them in reverse order.
    void chord(Qt::KeyboardModifiers modifiers, QChar key);
    // Presses and releases a lock key, which turns its lock on or off.
    void toggle(Key lock);
    // Returns once the server has handled everything sent so far.
    void sync();

    // Whether Num Lock and Caps Lock are on now.
    bool numLockOn();
    bool capsLockOn();

private:
    struct Private;
    std::unique_ptr<Private> d_;
};

}  // namespace tavero
