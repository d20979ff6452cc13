// Where the keyboard goes after each action, as a screen reader's user
// hears it: the real program on a session bus of its own, its focus events
// heard through AT-SPI and its keys pressed through the X server.
#include "tests/app/ProgramUnderScreenReader.h"
#include "tests/support/FocusEvents.h"
#include "tests/support/RealInput.h"

#include <QDir>
#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

using namespace tavero;

namespace {

using Events = QList<test::FocusEvents::Event>;

const QString menuItem = QStringLiteral("menu item");
const QString showMenu = QStringLiteral("ShowMenu");

class FocusOnX11Test : public test::ProgramUnderScreenReader {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(ProgramUnderScreenReader::SetUp());
        ASSERT_TRUE(focus.listening());
    }

    static bool within(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, 30'000); }
    static bool key(const QString& keys) { return test::xdotool({QStringLiteral("key"), keys}); }

    // What Tab makes a screen reader say; empty when it says nothing.
    Events heardAfterTab() {
        focus.take();
        if (!key(QStringLiteral("Tab"))) return {};
        Events heard;
        return QTest::qWaitFor([&] { return !(heard += focus.take()).isEmpty(); }, 20'000) ? heard : Events();
    }

    // Tab moves the keyboard, and only among controls on screen.
    void expectTabOnShownControls(const char* after) {
        const Events heard = heardAfterTab();
        EXPECT_FALSE(heard.isEmpty()) << "Tab moves nothing " << after;
        for (const test::FocusEvents::Event& event : heard)
            EXPECT_TRUE(event.shown) << "after " << after << ": " << test::FocusEvents::describe(heard).toStdString();
    }

    bool statusSays(const QString& line) { return reader.shows(QStringLiteral("filler"), line); }
    // Once the library holds `count` screenshots.
    bool captured(int count) {
        return within([&] {
            return QDir(home.desktop() + QStringLiteral("/岚帧")).entryList({QStringLiteral("*.png")}).size() == count;
        });
    }

    test::FocusEvents focus{reader};
};

// A full-screen shot, an area, a delayed shot and a picture opened from the
// open panel each leave the editor with the keyboard on one of its controls.
TEST_F(FocusOnX11Test, TheEditorKeepsTheKeyboardAfterEveryCaptureAndEveryOpenedFile) {
    ASSERT_NO_FATAL_FAILURE(start({}));
    ASSERT_TRUE(within([&] { return reader.shows(pushButton, QStringLiteral("打开图片或视频")); }));

    ASSERT_TRUE(key(QStringLiteral("ctrl+shift+6")));
    ASSERT_TRUE(captured(1));
    expectTabOnShownControls("Ctrl+Shift+6");

    ASSERT_TRUE(key(QStringLiteral("ctrl+shift+2")));
    ASSERT_TRUE(within([] {
        return test::xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                              QStringLiteral("拖出截图区域")});
    })) << "the selection overlay";
    ASSERT_TRUE(test::drag({300, 300}, {700, 600}));
    ASSERT_TRUE(captured(2)) << "the area";
    expectTabOnShownControls("an area shot");

    ASSERT_TRUE(reader.act(pushButton, QStringLiteral("更多截图"), showMenu));
    ASSERT_TRUE(within([&] { return reader.act(menuItem, QStringLiteral("截图延时"), showMenu); }));
    ASSERT_TRUE(within([&] { return reader.act(menuItem, QStringLiteral("3 秒"), press); }));
    ASSERT_TRUE(key(QStringLiteral("Escape")) && key(QStringLiteral("Escape")));
    ASSERT_TRUE(within([&] { return !reader.shows(menuItem, QStringLiteral("3 秒")); }));
    ASSERT_TRUE(key(QStringLiteral("ctrl+shift+6")));
    ASSERT_TRUE(captured(3)) << "the delayed shot";
    expectTabOnShownControls("a delayed shot");

    const QString picture = home.path() + QStringLiteral("/图.png");
    QImage(64, 48, QImage::Format_RGB32).save(picture);
    ASSERT_TRUE(reader.act(pushButton, QStringLiteral("打开"), press));
    ASSERT_TRUE(within([&] { return reader.shows(QStringLiteral("dialog"), QStringLiteral("打开图片或视频")); }));
    ASSERT_TRUE(test::xdotool({QStringLiteral("type"), picture}));
    ASSERT_TRUE(key(QStringLiteral("Return")));
    ASSERT_TRUE(within([&] { return statusSays(QStringLiteral("已打开：图.png")); }));
    expectTabOnShownControls("opening a file");
}

}  // namespace
