#pragma once

#include "platform/desktop/PointerSource.h"

#include <memory>

namespace tavero {

// Moves the pointer of $DISPLAY and presses its buttons through the XTEST
// extension, as a person would. For the tests that record the pointer. Owns
// its own connection; use it from one thread.
class SyntheticPointer {
public:
    // Throws std::runtime_error without a display or without XTEST.
    SyntheticPointer();
    ~SyntheticPointer();

    // In root pixels.
    void moveTo(QPoint position);
    void press(PointerButton button);
    void release(PointerButton button);
    // Returns once the server has handled everything sent so far.
    void sync();

private:
    struct Private;
    std::unique_ptr<Private> d_;
};

}  // namespace tavero
