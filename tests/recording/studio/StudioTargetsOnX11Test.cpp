// Runs on Xvfb with openbox: the windows the studio offers come from the
// window manager's stacking list.
#include "platform/desktop/ScreenSource.h"
#include "tests/recording/studio/StudioHarness.h"
#include "tests/support/Pictures.h"
#include "tests/support/RealInput.h"
#include "tests/support/TestWindows.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace tavero;

namespace {

QStringList offeredNames(const RecordingStudio& studio) {
    QStringList names;
    for (const WindowInfo& window : studio.windows()) names.append(RecordingStudio::windowName(window));
    return names;
}

// Prepares until the studio offers `expected`: the window manager takes
// windows in and restacks them asynchronously.
bool offersInTime(RecordingStudio& studio, const QStringList& expected) {
    return QTest::qWaitFor(
        [&] {
            studio.prepare();
            return QTest::qWaitFor([&] { return !studio.loadingTargets(); }, 5000) && offeredNames(studio) == expected;
        },
        10000);
}

QString foreign(const char* title) { return QStringLiteral("tavero_test_window · ") + QString::fromUtf8(title); }

}  // namespace

TEST(StudioTargetsOnX11Test, OffersTheOtherProgramsWindowsByNameFrontToBackAndLeavesOursOut) {
    test::TempHome home;
    test::FreshSettings settings(home);
    test::ForeignWindow first(QRect(100, 100, 400, 300), 1, QStringLiteral("甲"));
    test::ForeignWindow second(QRect(300, 200, 400, 300), 2, QStringLiteral("乙"));
    test::ForeignWindow third(QRect(500, 300, 400, 300), 3, QStringLiteral("丙"));
    ASSERT_TRUE(first.start() && second.start() && third.start());
    test::PictureWindow ours(fixtures::noise(400, 300, 4), QRect(700, 400, 400, 300));
    ours.setTitle(QStringLiteral("我们的窗口"));
    ASSERT_TRUE(ours.showAndWait());

    test::StudioModel model(makeScreenSource(), home.desktop());
    RecordingStudio studio(model);
    const QStringList opened{foreign("丙"), foreign("乙"), foreign("甲")};
    EXPECT_TRUE(offersInTime(studio, opened)) << offeredNames(studio).join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(studio.targetName(), opened.first()) << "the front window is chosen";
    EXPECT_FALSE(studio.displays().isEmpty());

    // A click raises the back window; only the front-to-back order tells it
    // from the order in which the windows opened.
    ASSERT_TRUE(test::xdotool({QStringLiteral("mousemove"), QStringLiteral("150"), QStringLiteral("150"),
                               QStringLiteral("click"), QStringLiteral("1")}));
    const QStringList raised{foreign("甲"), foreign("丙"), foreign("乙")};
    EXPECT_TRUE(offersInTime(studio, raised)) << offeredNames(studio).join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(studio.targetName(), foreign("丙")) << "the chosen window stays chosen";
}
