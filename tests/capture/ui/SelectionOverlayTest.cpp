#include "capture/CaptureCoordinator.h"
#include "capture/CaptureMessages.h"
#include "capture/ui/SelectionOverlay.h"
#include "capture/ui/SelectionView.h"
#include "capture/ui/SelectionWindow.h"
#include "capture/ui/WidgetApplicationWindows.h"
#include "document/Ink.h"
#include "platform/desktop/FakeScreenSource.h"
#include "tests/capture/CaptureHarness.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

using namespace tavero;

namespace {

class SelectionViewTest : public testing::Test {
protected:
    QImage picture = solid(QSize(800, 600), QColor(200, 100, 50));
    std::vector<std::optional<QRectF>> answers;

    static QImage solid(QSize size, QColor color) {
        QImage image(size, QImage::Format_RGBA8888_Premultiplied);
        image.fill(color);
        return image;
    }

    std::unique_ptr<SelectionView> makeView(bool windowMode) {
        auto view = std::make_unique<SelectionView>(picture, windowMode, std::nullopt);
        view->resize(400, 300);
        view->setFinish([this](std::optional<QRectF> rect) { answers.push_back(rect); });
        return view;
    }

    static void drag(QWidget& view, QPoint from, QPoint to) {
        QTest::mousePress(&view, Qt::LeftButton, {}, from);
        QTest::mouseMove(&view, (from + to) / 2);
        QTest::mouseMove(&view, to);
        QTest::mouseRelease(&view, Qt::LeftButton, {}, to);
    }
};

TEST_F(SelectionViewTest, ADragInEitherDirectionGivesTheSameRectangleClippedToTheView) {
    drag(*makeView(false), QPoint(50, 60), QPoint(150, 110));
    drag(*makeView(false), QPoint(150, 110), QPoint(50, 60));
    drag(*makeView(false), QPoint(350, 250), QPoint(500, 400));
    drag(*makeView(false), QPoint(100, 50), QPoint(-40, -30));
    ASSERT_EQ(answers.size(), 4u);
    EXPECT_EQ(answers[0], QRectF(50, 60, 100, 50));
    EXPECT_EQ(answers[1], answers[0]);
    EXPECT_EQ(answers[2], QRectF(350, 250, 50, 50));
    EXPECT_EQ(answers[3], QRectF(0, 0, 100, 50));
}

TEST_F(SelectionViewTest, StrayReleasesTinySelectionsAndKeysOtherThanEscapeAnswerNothing) {
    auto view = makeView(false);
    QTest::mouseRelease(view.get(), Qt::LeftButton, {}, QPoint(10, 10));
    drag(*view, QPoint(50, 60), QPoint(51, 160));
    drag(*view, QPoint(50, 60), QPoint(150, 61));
    QTest::keyClick(view.get(), Qt::Key_A);
    QTest::keyClick(view.get(), Qt::Key_Return);
    EXPECT_TRUE(answers.empty());
    drag(*view, QPoint(50, 60), QPoint(52, 62));
    QTest::keyClick(view.get(), Qt::Key_Escape);
    QTest::keyClick(view.get(), Qt::Key_Escape);
    ASSERT_EQ(answers.size(), 1u) << "the first answer ends the view";
    EXPECT_EQ(answers[0], QRectF(50, 60, 2, 2));

    auto escaped = makeView(false);
    QTest::keyClick(escaped.get(), Qt::Key_Escape);
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_FALSE(answers[1].has_value());
}

TEST_F(SelectionViewTest, WindowModeAnswersTheReleasePointAsOnePoint) {
    auto view = makeView(true);
    drag(*view, QPoint(10, 10), QPoint(200, 150));
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0], QRectF(200, 150, 1, 1));
}

TEST_F(SelectionViewTest, DimsEverythingButTheSelectionAndFramesIt) {
    auto view = makeView(false);
    QTest::mousePress(view.get(), Qt::LeftButton, {}, QPoint(100, 150));
    QTest::mouseMove(view.get(), QPoint(300, 280));
    const QImage shown = view->grab().toImage();
    EXPECT_EQ(shown.pixelColor(250, 220), QColor(200, 100, 50)) << "inside, untouched";
    const QColor outside = shown.pixelColor(350, 290);
    EXPECT_NEAR(outside.red(), 200 * 0.58, 2);
    EXPECT_NEAR(outside.green(), 100 * 0.58, 2);
    const QColor frame = shown.pixelColor(300, 220);
    EXPECT_NEAR(frame.green(), Ink::teal.color().green(), 40) << "the teal frame";
}

TEST(SelectionOverlay, ASelectionUnderTwoPixelsIsTooSmallForTheCoordinator) {
    auto screen = std::make_shared<FakeScreenSource>();
    DisplayInfo display = screen->displays().first();
    display.scale = 0.5;  // two points are one pixel
    screen->setDisplays({display});
    SelectionOverlay overlay;
    test::CaptureHarness harness(screen);
    harness.coordinator->setSelectionPresenter(&overlay);
    harness.start(CaptureMode::area);

    SelectionWindow* window = nullptr;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* found = qobject_cast<SelectionWindow*>(widget); found && found->isVisible()) window = found;
            return window != nullptr;
        },
        5000));
    EXPECT_EQ(window->windowTitle(), CaptureMessages::areaTitle());
    EXPECT_EQ(window->geometry(), QRect(0, 0, 3840, 2160));
    QTest::mousePress(window->view(), Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(window->view(), Qt::LeftButton, {}, QPoint(12, 12));
    ASSERT_TRUE(harness.waitForAnswer());
    EXPECT_EQ(harness.answers.front().error().message(), CaptureMessages::tooSmall());
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(harness.coordinator->overlayOpen());
}

TEST(WidgetApplicationWindows, HidesTheVisibleWindowsAndShowsExactlyThoseAgain) {
    QWidget editor;
    QWidget closedBefore;
    auto* gone = new QWidget;
    editor.show();
    gone->show();
    WidgetApplicationWindows windows;
    windows.hideAll();
    EXPECT_FALSE(editor.isVisible());
    EXPECT_FALSE(gone->isVisible());
    delete gone;
    windows.showAll();
    EXPECT_TRUE(editor.isVisible());
    EXPECT_FALSE(closedBefore.isVisible());
    windows.showAll();
    EXPECT_TRUE(editor.isVisible());
}

}  // namespace
