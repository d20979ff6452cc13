// Where the keyboard goes after each action, as a screen reader's user
// hears it: the real program on a session bus of its own, its focus events
// heard through AT-SPI and its keys pressed through the X server.
#include "library/CaptureRecord.h"
#include "tests/app/ProgramUnderScreenReader.h"
#include "tests/support/FocusEvents.h"
#include "tests/support/Files.h"
#include "tests/support/RealInput.h"

#include <QDir>
#include <QImage>
#include <QUuid>
#include <QTest>

#include <gtest/gtest.h>

using namespace tavero;

namespace {

using Events = QList<test::FocusEvents::Event>;

const QString menuItem = QStringLiteral("menu item");
const QString showMenu = QStringLiteral("ShowMenu");
const QString checkBox = QStringLiteral("check box");
const QString toggle = QStringLiteral("Toggle");
const QStringList windowRoles{QStringLiteral("frame"), QStringLiteral("dialog")};
const QString focused = QStringLiteral("focused");
const QString enabled = QStringLiteral("enabled");

class FocusOnX11Test : public test::ProgramUnderScreenReader {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(ProgramUnderScreenReader::SetUp());
        ASSERT_TRUE(focus.listening());
    }

    static bool key(const QString& keys) { return test::xdotool({QStringLiteral("key"), keys}); }
    static bool windowShown(const QString& title) {
        return within([&] {
            return test::xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                                  title});
        });
    }

    static void expectEveryControlShown(const Events& heard, const char* after) {
        for (const test::FocusEvents::Event& event : heard)
            EXPECT_TRUE(event.shown) << "after " << after << ": " << test::FocusEvents::describe(heard).toStdString();
    }

    // Tab moves the keyboard, and only among controls on screen.
    void expectTabOnShownControls(const char* after) {
        focus.take();
        ASSERT_TRUE(key(QStringLiteral("Tab")));
        Events heard;
        EXPECT_TRUE(within([&] { return !(heard += focus.take()).isEmpty(); })) << "Tab moves nothing " << after;
        expectEveryControlShown(heard, after);
    }

    // Waits until the keyboard lands on this shown control, and no other
    // control is heard on the way but those named in `passing` (of a window
    // on screen as the keys were pressed). A window is named as it gets the
    // keyboard, as a screen reader names every window that does.
    void expectKeyboardOn(const QString& role, const QString& name, const char* after,
                          const QStringList& passing = {}) {
        const test::FocusEvents::Event wanted{role, name, true};
        std::optional<Events> heard;
        EXPECT_TRUE(within([&] { return (heard = focus.takeThrough(wanted)).has_value(); }))
            << "after " << after << " the keyboard is not on " << name.toStdString() << ":\n"
            << test::FocusEvents::describe(focus.take()).toStdString();
        if (!heard) return;
        for (const test::FocusEvents::Event& event : *heard)
            EXPECT_TRUE(event == wanted || windowRoles.contains(event.role) || passing.contains(event.name))
                << "after " << after << ":\n" << test::FocusEvents::describe(*heard).toStdString();
    }

    // Moves the keyboard to this control as the user's next step, and checks
    // that nothing else was heard since the last control expected: the
    // keyboard stayed there.
    void expectNothingHeardBefore(const QString& role, const QString& name, const char* after) {
        ASSERT_TRUE(focusOn(role, name));
        expectKeyboardOn(role, name, after);
    }

    bool focusOn(const QString& role, const QString& name) {
        return reader.act(role, name, QStringLiteral("SetFocus")) && within([&] { return reader.has(role, name, focused); });
    }

    // The recording set-up, open, recording no sound.
    void openSetUp() {
        ASSERT_TRUE(within([&] { return reader.act(pushButton, QStringLiteral("开始录屏"), press); }));
        ASSERT_TRUE(within([&] { return reader.shows(QStringLiteral("dialog"), QStringLiteral("开始一段录屏")); }));
        if (reader.checked(checkBox, QStringLiteral("系统声音"))) {
            ASSERT_TRUE(reader.act(checkBox, QStringLiteral("系统声音"), toggle));
        }
    }

    // Once the library holds `count` screenshots.
    bool captured(int count) {
        return within([&] { return inLibrary(QStringLiteral("*.png")).size() == count; });
    }

    // A library of `count` pictures, newest first, named "截图_1.png" on.
    QStringList writeLibrary(int count) {
        QDir().mkpath(library());
        QList<CaptureRecord> records;
        QStringList names;
        for (int index = 1; index <= count; ++index) {
            const QString file = QStringLiteral("截图_%1.png").arg(index);
            QImage(32, 24, QImage::Format_RGB32).save(library() + QLatin1Char('/') + file);
            records.append({QUuid::createUuid(), file, file, QDateTime::currentDateTime(), 32, 24, CaptureRecord::imageKind});
            names.append(file);
        }
        test::writeFile(library() + QStringLiteral("/index.json"), encodeManifest(records));
        return names;
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
    ASSERT_TRUE(windowShown(QStringLiteral("拖出截图区域"))) << "the selection overlay";
    ASSERT_TRUE(test::drag({300, 300}, {700, 600}));
    ASSERT_TRUE(captured(2)) << "the area";
    expectTabOnShownControls("an area shot");

    ASSERT_TRUE(reader.act(pushButton, QStringLiteral("更多截图"), showMenu));
    ASSERT_TRUE(within([&] { return reader.act(menuItem, QStringLiteral("截图延时"), showMenu); }));
    ASSERT_TRUE(within([&] { return reader.act(menuItem, QStringLiteral("3 秒"), press); }));
    ASSERT_TRUE(within([&] { return !reader.shows(menuItem, QStringLiteral("3 秒")); }));
    ASSERT_TRUE(key(QStringLiteral("ctrl+shift+6")));
    ASSERT_TRUE(captured(3)) << "the delayed shot";
    expectTabOnShownControls("a delayed shot");

    // Typed by xdotool, which types other scripts unreliably.
    const QString picture = home.path() + QStringLiteral("/picture.png");
    QImage(64, 48, QImage::Format_RGB32).save(picture);
    ASSERT_TRUE(reader.act(pushButton, QStringLiteral("打开"), press));
    ASSERT_TRUE(within([&] { return reader.shows(QStringLiteral("dialog"), QStringLiteral("打开图片或视频")); }));
    ASSERT_TRUE(within([&] { return reader.has(QStringLiteral("text"), QStringLiteral("文件名称(N)："), focused); }))
        << "the file name takes what is typed";
    ASSERT_TRUE(test::xdotool({QStringLiteral("type"), picture}));
    ASSERT_TRUE(key(QStringLiteral("Return")));
    ASSERT_TRUE(within([&] { return statusSays(QStringLiteral("已打开：picture.png")); }));
    expectTabOnShownControls("opening a file");

    // The background button stands disabled while its picture is made and
    // while the background is applied: no other control is heard meanwhile.
    const QString background = QStringLiteral("背景 · 渐变与纯色");
    const QString dimensions = QStringLiteral("尺寸与旋转");
    ASSERT_TRUE(focusOn(pushButton, background));
    focus.take();
    ASSERT_TRUE(key(QStringLiteral("space")));
    Events opening;
    EXPECT_TRUE(within([&] {
        opening += focus.take();
        return std::any_of(opening.begin(), opening.end(),
                           [](const auto& event) { return event.role == QStringLiteral("radio button"); });
    })) << "the keyboard goes into the sheet's choices";
    for (const test::FocusEvents::Event& event : opening)
        EXPECT_NE(event.name, dimensions) << test::FocusEvents::describe(opening).toStdString();
    ASSERT_TRUE(within([&] { return reader.has(pushButton, QStringLiteral("应用背景"), enabled); }));
    ASSERT_TRUE(reader.act(pushButton, QStringLiteral("应用背景"), press));
    expectKeyboardOn(pushButton, background, "应用背景");
}

// A history longer than its list shows is walked whole from the keyboard,
// by Tab and back by Up, each entry named on screen and nothing else heard.
TEST_F(FocusOnX11Test, EveryEntryOfALongHistoryIsHeardInTurn) {
    const QStringList entries = writeLibrary(16);
    ASSERT_EQ(entries.size(), 16);
    ASSERT_NO_FATAL_FAILURE(start({}));
    ASSERT_TRUE(within([&] { return reader.act(pushButton, QStringLiteral("试一试"), press); }));
    ASSERT_TRUE(within([&] { return reader.act(QStringLiteral("page tab"), QStringLiteral("历史 16"), press); }));
    ASSERT_TRUE(within([&] { return focusOn(pushButton, entries.first()); }));
    ASSERT_TRUE(within([&] { return focus.takeThrough({pushButton, entries.first(), true}).has_value(); }));
    for (qsizetype index = 1; index < entries.size() && !HasFailure(); ++index) {
        ASSERT_TRUE(key(QStringLiteral("Tab")));
        expectKeyboardOn(pushButton, entries[index], "Tab");
    }
    for (qsizetype index = entries.size() - 2; index >= 0 && !HasFailure(); --index) {
        ASSERT_TRUE(key(QStringLiteral("Up")));
        expectKeyboardOn(pushButton, entries[index], "Up");
    }
}

// The area picker closes back onto the button that opened it, the
// teleprompter's preview is worked from the keyboard, and no control of the
// editor, hidden or coming back under the set-up, is heard meanwhile.
TEST_F(FocusOnX11Test, TheSetUpKeepsTheKeyboardThroughTheAreaPickerAndTheTeleprompterPreview) {
    ASSERT_NO_FATAL_FAILURE(start({}));
    ASSERT_NO_FATAL_FAILURE(openSetUp());
    ASSERT_TRUE(reader.act(QStringLiteral("radio button"), QStringLiteral("区域"), toggle));
    const QString pick = QStringLiteral("框选录制区域");
    ASSERT_TRUE(within([&] { return focusOn(pushButton, pick); }));
    focus.take();
    ASSERT_TRUE(key(QStringLiteral("space")));
    ASSERT_TRUE(windowShown(QStringLiteral("松开后返回设置"))) << "the area picker";
    ASSERT_TRUE(key(QStringLiteral("Escape")));
    // The picker named itself as it took the keyboard; its view is on
    // screen till Escape.
    expectKeyboardOn(pushButton, pick, "the area picker", {QStringLiteral("框选录制区域 · 松开后返回设置 · Esc 取消")});
    expectNothingHeardBefore(checkBox, QStringLiteral("使用提词器"), "the area picker");

    ASSERT_TRUE(reader.act(checkBox, QStringLiteral("使用提词器"), toggle));
    ASSERT_TRUE(within([&] { return reader.act(pushButton, QStringLiteral("预览提词器"), press); }));
    const QStringList controls{QStringLiteral("收起"), QStringLiteral("关闭预览"), QStringLiteral("从头"),
                               QStringLiteral("提词速度"), QStringLiteral("提词字号"), QStringLiteral("提词器背景透明度"),
                               QStringLiteral("全透明")};
    const auto onPrompter = [&] {
        for (const test::FocusEvents::Event& event : focus.take())
            if (event.shown && (controls.contains(event.name) || event.name.startsWith(QStringLiteral("滚动"))))
                return true;
        return false;
    };
    EXPECT_TRUE(within(onPrompter)) << "the preview takes the keyboard onto one of its controls";
    for (int press = 0; press < 2; ++press) {
        ASSERT_TRUE(key(QStringLiteral("Tab")));
        EXPECT_TRUE(within(onPrompter)) << "Tab moves among its controls";
    }
    ASSERT_TRUE(key(QStringLiteral("Escape")));
    EXPECT_TRUE(within([&] { return !reader.shows(pushButton, QStringLiteral("关闭预览")); })) << "Escape closes it";
}

// A take starts with nothing of the hidden editor heard, ends with the
// keyboard on its video's 播放, which keeps it as the finished video takes
// the raw one's place, and 查看原片 gives the keyboard to 查看成片, which
// takes its place.
TEST_F(FocusOnX11Test, ATakeEndsOnItsVideoAndItsVersionsHandTheKeyboardOver) {
    ASSERT_NO_FATAL_FAILURE(start({}));
    ASSERT_NO_FATAL_FAILURE(openSetUp());
    focus.take();
    ASSERT_TRUE(reader.act(pushButton, QStringLiteral("开始录制"), press));
    // Recording, once its counting down is over.
    ASSERT_TRUE(within([&] { return reader.has(pushButton, QStringLiteral("重录"), enabled); }));
    expectEveryControlShown(focus.take(), "the take's start");
    ASSERT_TRUE(key(QStringLiteral("ctrl+shift+8")));
    const QString play = QStringLiteral("播放");
    expectKeyboardOn(pushButton, play, "the take");

    // The finished video takes the raw one's place, and its 播放 stands
    // disabled while it loads.
    const QString raw = QStringLiteral("查看原片");
    ASSERT_TRUE(within([&] { return reader.shows(pushButton, raw); }, 120'000)) << "the finished video";
    expectKeyboardOn(pushButton, play, "the finished video");
    expectNothingHeardBefore(pushButton, raw, "the finished video");
    ASSERT_TRUE(key(QStringLiteral("space")));
    expectKeyboardOn(pushButton, QStringLiteral("查看成片"), "查看原片");
}

}  // namespace
