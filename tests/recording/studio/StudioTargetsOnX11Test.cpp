// Runs on Xvfb with openbox: the windows the studio offers come from the
// window manager's stacking list.
#include "platform/ScreenSource.h"
#include "tests/recording/studio/StudioHarness.h"
#include "tests/support/Pictures.h"
#include "tests/support/TestWindows.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace tavero;

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
    const auto offeredNames = [&] {
        QStringList names;
        for (const WindowInfo& window : studio.windows()) names.append(RecordingStudio::windowName(window));
        return names;
    };
    const QStringList expected{QStringLiteral("tavero_test_window · 丙"), QStringLiteral("tavero_test_window · 乙"),
                               QStringLiteral("tavero_test_window · 甲")};
    // The window manager takes the windows in asynchronously.
    const bool listed = QTest::qWaitFor(
        [&] {
            studio.prepare();
            return QTest::qWaitFor([&] { return !studio.loadingTargets(); }, 5000) && offeredNames() == expected;
        },
        10000);
    EXPECT_TRUE(listed) << offeredNames().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(studio.targetName(), expected.first()) << "the front window is chosen";
    EXPECT_FALSE(studio.displays().isEmpty());
}
