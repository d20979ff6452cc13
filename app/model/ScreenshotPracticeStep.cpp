#include "app/model/ScreenshotPracticeStep.h"

namespace tavero {

QString title(ScreenshotPracticeStep step) {
    switch (step) {
    case ScreenshotPracticeStep::annotate: return QStringLiteral("标出重点");
    case ScreenshotPracticeStep::background: return QStringLiteral("加个背景");
    case ScreenshotPracticeStep::share: return QStringLiteral("复制分享");
    case ScreenshotPracticeStep::complete: return QStringLiteral("完成");
    }
    return {};
}

std::optional<ScreenshotPracticeStep> practiceStep(int rawValue) {
    if (rawValue < 0 || rawValue >= int(allPracticeSteps.size())) return std::nullopt;
    return allPracticeSteps[std::size_t(rawValue)];
}

}  // namespace tavero
