#pragma once

#include <QString>

#include <array>
#include <optional>

namespace tavero {

// The four steps of the first-screenshot practice, in the order the practice
// bar shows them. The raw values order the steps: a step is done when its
// value is below the current one.
enum class ScreenshotPracticeStep { annotate = 0, background = 1, share = 2, complete = 3 };

inline constexpr std::array<ScreenshotPracticeStep, 4> allPracticeSteps = {
    ScreenshotPracticeStep::annotate, ScreenshotPracticeStep::background, ScreenshotPracticeStep::share,
    ScreenshotPracticeStep::complete};

// The label of the step on the practice bar.
QString title(ScreenshotPracticeStep step);

// The step with this raw value; none outside 0 to 3.
std::optional<ScreenshotPracticeStep> practiceStep(int rawValue);

}  // namespace tavero
