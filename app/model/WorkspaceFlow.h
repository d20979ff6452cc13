#pragma once

#include "app/model/ScreenshotPracticeStep.h"

#include <optional>

namespace tavero {

// What the editor window shows: the start screen or the current content, and
// how far the first-screenshot practice has come. A plain value the
// application model publishes and changes on the main thread.
//
// Each practice step is reached only from the one before it, so an action
// taken out of order (copying before annotating, framing twice) never skips
// or repeats a step. Going home and resuming keep the practice where it was.
struct WorkspaceFlow {
    bool showingHome = true;
    std::optional<ScreenshotPracticeStep> practice;

    // New content arrived: show it, and start the practice at its first step
    // with `withPractice`, or end any practice without.
    void openContent(bool withPractice = false);
    void goHome();
    void resume();

    // The user added a mark, applied a background frame, copied the image.
    void annotated();
    void framed();
    void shared();

    friend bool operator==(const WorkspaceFlow&, const WorkspaceFlow&) = default;

private:
    void advance(ScreenshotPracticeStep from, ScreenshotPracticeStep to);
};

}  // namespace tavero
