#include "app/model/WorkspaceFlow.h"

namespace tavero {

void WorkspaceFlow::openContent(bool withPractice) {
    showingHome = false;
    practice = withPractice ? std::optional(ScreenshotPracticeStep::annotate) : std::nullopt;
}

void WorkspaceFlow::goHome() { showingHome = true; }

void WorkspaceFlow::resume() { showingHome = false; }

void WorkspaceFlow::annotated() { advance(ScreenshotPracticeStep::annotate, ScreenshotPracticeStep::background); }

void WorkspaceFlow::framed() { advance(ScreenshotPracticeStep::background, ScreenshotPracticeStep::share); }

void WorkspaceFlow::shared() { advance(ScreenshotPracticeStep::share, ScreenshotPracticeStep::complete); }

void WorkspaceFlow::advance(ScreenshotPracticeStep from, ScreenshotPracticeStep to) {
    if (practice == from) practice = to;
}

}  // namespace tavero
