#include "document/ImageOps.h"
#include "selftests/CheckGroups.h"
#include "selftests/SelfTestFixtures.h"
#include "selftests/SelfTestRun.h"

#include <cstdlib>
#include <optional>

namespace tavero::selftests {

namespace {

constexpr int frameWidth = 1440;
constexpr int frameHeight = 1800;
// Scroll distances of one continuous scroll, as a trackpad delivers them.
constexpr int continuousSteps[] = {23, 47, 89, 131, 205, 317};

bool near(const std::optional<int>& value, int expected) { return value && std::abs(*value - expected) <= 2; }

QImage pageFrame(const QImage& page, int top) { return page.copy(0, top, frameWidth, frameHeight); }

void checkPatternStitch(SelfTestRun& run) {
    const QImage& pattern = run.pattern();
    const QImage a = pattern.copy(0, 0, 240, 500);
    const QImage b = pattern.copy(0, 260, 240, 500);

    const std::optional<int> overlap = ImageOps::scrollOverlap(a, b);
    run.check(near(overlap, 240), QStringLiteral("scrolling overlap is detected"));
    const QImage stitched = ImageOps::combine(a, b, false, *overlap);
    run.check(std::abs(stitched.height() - 760) <= 2, QStringLiteral("stitched height removes overlap"));
    run.check(pixel(stitched, 80, 60) == pixel(pattern, 80, 60) && pixel(stitched, 80, 700) == pixel(pattern, 80, 700),
              QStringLiteral("stitch preserves top and bottom content"));
    run.check(ImageOps::scrollOverlap(a, a) == 0, QStringLiteral("unchanged scrolling frame is rejected"));
}

void checkTextPageStitch(SelfTestRun& run) {
    const QImage& page = run.textPage();
    const QImage f0 = pageFrame(page, 0), f1 = pageFrame(page, 817), f2 = pageFrame(page, 1660),
                 f3 = pageFrame(page, 32);

    const std::optional<int> first = ImageOps::scrollOverlap(f0, f1);
    run.check(first == 983, QStringLiteral("Retina text page aligns to the exact pixel after an uneven scroll"));
    const QImage s1 = ImageOps::combine(f0, f1, false, *first);
    const std::optional<int> second = ImageOps::scrollOverlap(f1, f2);
    run.check(second == 957, QStringLiteral("a second text-page scroll has no accumulated rounding error"));
    const QImage s2 = ImageOps::combine(s1, f2, false, *second);
    run.check(s2.height() == 3460, QStringLiteral("three text frames have exactly the expected total height"));
    run.check(pixel(s2, 110, 1710) == pixel(page, 110, 1710) && pixel(s2, 210, 2800) == pixel(page, 210, 2800),
              QStringLiteral("text-page seams preserve original pixels"));

    run.check(ImageOps::scrollOverlap(f0, f3) == 1768, QStringLiteral("small trackpad scrolls are not rejected"));
    run.check(!ImageOps::scrollOverlap(f1, f0), QStringLiteral("upward scroll is not appended as new content"));
    run.check(ImageOps::scrollOverlap(f0, f0) == 0, QStringLiteral("stationary white text page is not duplicated"));
}

void checkContinuousScroll(SelfTestRun& run) {
    const QImage& page = run.textPage();
    QImage previous = pageFrame(page, 0);
    int top = 0;
    for (int step : continuousSteps) {
        top += step;
        QImage current = pageFrame(page, top);
        run.check(ImageOps::scrollOverlap(previous, current) == frameHeight - step,
                  QStringLiteral("continuous moving frame aligns: %1 px").arg(step));
        previous = std::move(current);
    }
}

}  // namespace

void checkStitching(SelfTestRun& run) {
    checkPatternStitch(run);
    checkTextPageStitch(run);
    checkContinuousScroll(run);
}

}  // namespace tavero::selftests
