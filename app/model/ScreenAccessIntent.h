#pragma once

#include "capture/CaptureMode.h"

#include <QString>

#include <variant>

namespace tavero {

// The action that waits while the screen-access explanation is shown, and
// that runs once the user has confirmed it. A plain value the application
// model holds on the main thread.
struct ScreenAccessIntent {
    struct Screenshot {
        CaptureMode mode = CaptureMode::area;
        bool scrolling = false;
        friend bool operator==(const Screenshot&, const Screenshot&) = default;
    };
    struct Recording {
        bool preferRegion = false;
        friend bool operator==(const Recording&, const Recording&) = default;
    };

    std::variant<Screenshot, Recording> action;

    static ScreenAccessIntent screenshot(CaptureMode mode, bool scrolling);
    static ScreenAccessIntent recording(bool preferRegion);

    // Depend on the kind of action only: every screenshot intent shares one
    // identifier, so the explanation sheet stays the same sheet.
    QString id() const;
    QString title() const { return id(); }

    friend bool operator==(const ScreenAccessIntent&, const ScreenAccessIntent&) = default;
};

}  // namespace tavero
