// A window shown again marks its focused control when the keyboard was used
// last, a global hot key included, and not after a click.
#include "app/ActiveWindowSync.h"
#include "app/KeyboardFocusMark.h"
#include "editor_ui/style/FocusRing.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <functional>

using namespace tavero;

TEST(KeyboardFocusMarkTest, AWindowShownAgainMarksItsFocusOnlyAfterAKey) {
    const ActiveWindowSync activeWindow(*qApp);
    KeyboardFocusMark mark;
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* first = new QPushButton(QStringLiteral("打开"));
    auto* second = new QPushButton(QStringLiteral("设置"));
    layout->addWidget(first);
    layout->addWidget(second);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    second->setFocus(Qt::OtherFocusReason);

    const struct {
        const char* lastPressed;
        std::function<void()> press;
        bool marked;
    } cases[] = {
        {"a key", [&] { QTest::keyClick(second, Qt::Key_Shift); }, true},
        {"a click", [&] { QTest::mouseClick(second, Qt::LeftButton); }, false},
        {"a hot key after a click",
         [&] {
             QTest::mouseClick(second, Qt::LeftButton);
             mark.keyPressed();
         },
         true},
    };
    for (const auto& pressed : cases) {
        SCOPED_TRACE(pressed.lastPressed);
        pressed.press();
        window.hide();
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        ASSERT_TRUE(QTest::qWaitFor([&] { return second->hasFocus(); }));
        EXPECT_EQ(FocusRing::shown(*second), pressed.marked);
    }
}
