#include "app/PinView.h"
#include "app/PinWindow.h"
#include "app/WidgetPinPresenter.h"
#include "app/model/AppModel.h"
#include "app/model/ModelMessages.h"
#include "document/ImageOps.h"
#include "document/ShotDocument.h"
#include "tests/app/model/ModelHarness.h"

#include <QAccessible>
#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>
#include <QSlider>

#include <gtest/gtest.h>

using namespace tavero;

namespace {

QSizeF contentFor(int width, int height) { return PinWindow::contentSize(QSize(width, height)); }

TEST(PinWindowTest, TheContentIsAtMost700WideAndItsPictureAreaBetween160And700High) {
    EXPECT_EQ(contentFor(3000, 500), QSizeF(700, 196)) << "116.7 raised to 160, plus the row";
    EXPECT_EQ(contentFor(400, 2000), QSizeF(400, 736)) << "capped at 700 high";
    EXPECT_EQ(contentFor(80, 20), QSizeF(80, 196));

    PinWindow window(fixtures::noise(600, 300));
    EXPECT_EQ(window.size(), QSize(600, 336));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("贴图 · 可拖动与缩放"));
    const QAccessibleInterface* read = QAccessible::queryAccessibleInterface(&window);
    EXPECT_EQ(read->role(), QAccessible::Window) << "a screen reader meets a window, not a filler";
    EXPECT_EQ(read->text(QAccessible::Name), window.windowTitle());
}

TEST(PinWindowTest, TheSliderMakesTheWindowAtLeastAFifthOpaque) {
    PinWindow window(fixtures::noise(300, 200));
    auto* slider = window.findChild<QSlider*>();
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->value(), slider->maximum()) << "every pin starts opaque";

    slider->setValue(slider->minimum());
    EXPECT_DOUBLE_EQ(window.view().opacity(), 0.2);
    EXPECT_NEAR(window.windowOpacity(), 0.2, 1.0 / 255);
}

TEST(PinWindowTest, CopyGivesThePictureAsPinnedAfterTheDocumentChanged) {
    WidgetPinPresenter presenter;
    test::ModelHarness harness;
    AppModel& model = harness.model();
    model.setPinPresenter(&presenter);
    const Mark mark = test::makeMark(MarkTool::rectangle, {QPointF(20, 20), QPointF(140, 90)});
    model.document().open(fixtures::noise(200, 120, 9), QStringLiteral("测试"), {mark});
    const QImage pinned = ImageOps::render(model.document().image(), {mark});

    model.pin();
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.pins().size() == 1; }, 20'000));
    auto& window = dynamic_cast<PinWindow&>(*model.pins().front());
    EXPECT_TRUE(window.isVisible());
    model.document().replace(fixtures::noise(50, 50, 10));
    QGuiApplication::clipboard()->setText(QStringLiteral("旧内容"));

    window.findChild<QPushButton*>()->click();
    EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(ImageOps::surfaceFormat), pinned);

    window.close();
    EXPECT_FALSE(window.isVisible()) << "closed, and released at the next pin";
    EXPECT_EQ(model.status(), ModelMessages::ready()) << "no longer says how to close it";
    model.pin();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !model.pins().empty() && model.pins().front()->isVisible(); }, 20'000));
    EXPECT_EQ(model.pins().size(), 1u);
}

}  // namespace
