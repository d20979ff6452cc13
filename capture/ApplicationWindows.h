#pragma once

#include <QList>

namespace tavero {

// This program's own windows, which must be out of the way while the screen
// is captured. Installed into the CaptureCoordinator by the widget layer;
// whoever finishes a capture shows the windows again. Main thread.
class ApplicationWindows {
public:
    virtual ~ApplicationWindows() = default;

    // The native ids of the windows on the screen, which hideAll() hides.
    virtual QList<quint32> shownWindows() const = 0;
    virtual void hideAll() = 0;
    virtual void showAll() = 0;
};

}  // namespace tavero
