// The program as a screen reader's user meets it, through AT-SPI on a
// session bus of the test's own: the recording set-up's segmented controls
// (what to record, the portrait's shape, the camera's framing) choose on
// their own accessible actions, with exactly one choice checked, and its
// window list is named by what it chooses and says when it is empty; sliders
// read and step as their labels show; the player's controls and the trim
// fields are named, its position reads and steps in seconds, and a trim
// field without a number says what is wrong; the effects popover is found
// among the program's windows, named and with the keyboard, and renders
// again; every control of the editor is named, its colours and tabs say
// which one is chosen, its menu buttons open their menus, an item pressed in
// a submenu closes every menu it came from, and the keyboard comes back from
// the background sheet to the button that opened it; the width field of
// 尺寸与旋转 and a pin's transparency are named.
#include "camera/RecordingProject.h"
#include "tests/app/ProgramUnderScreenReader.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/RealInput.h"

#include <QDir>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

using namespace tavero;

namespace {

const QString radioButton = QStringLiteral("radio button");
const QString slider = QStringLiteral("slider");
const QString label = QStringLiteral("label");
const QString toggle = QStringLiteral("Toggle");
const QString dialog = QStringLiteral("dialog");
const QString focused = QStringLiteral("focused");
// The roles of the controls a user acts on.
const QStringList controlRoles{QStringLiteral("push button"), slider, QStringLiteral("text"), radioButton,
                               QStringLiteral("check box"), QStringLiteral("combo box")};

class ScreenReaderOnX11Test : public test::ProgramUnderScreenReader {
protected:
    // The program; with the synthetic camera (and screen) when asked.
    void start(const QStringList& arguments, bool syntheticCamera) {
        QProcessEnvironment fake;
        if (syntheticCamera) fake.insert(QStringLiteral("TAVERO_PLATFORM"), QStringLiteral("fake"));
        ProgramUnderScreenReader::start(arguments, fake);
    }

    static bool within(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, 30'000); }

    // The roles of the shown controls without a name.
    std::string unnamedControls() { return reader.unnamed(controlRoles).join(QStringLiteral(", ")).toStdString(); }
    std::string unnamedFocusable() { return reader.unnamedFocusable().join(QStringLiteral(", ")).toStdString(); }

    bool has(const QString& role, const QString& name, const QString& state) {
        const std::optional<QStringList> states = reader.states(role, name);
        return states && states->contains(state);
    }

    // Moves the keyboard to the control as a screen reader does, and waits
    // until it is there.
    bool focus(const QString& role, const QString& name) {
        return reader.act(role, name, QStringLiteral("SetFocus")) && within([&] { return has(role, name, focused); });
    }

    static bool key(const QString& keys) { return test::xdotool({QStringLiteral("key"), keys}); }

    // How many menus and other pop-ups of the program, tool tips aside, the X
    // server shows. They pass by the window manager, so they are looked for
    // among all of its windows.
    int shownPopups() {
        const auto output = [](const char* tool, const QStringList& arguments) {
            return test::outputOf(QString::fromLatin1(tool), arguments).value_or(QString());
        };
        const QStringList search{QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                                 QString::number(program.processId())};
        const QString bypassesTheManager = QStringLiteral("Override Redirect State: yes");
        int popups = 0;
        for (const QString& window : output("xdotool", search).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const QStringList id{QStringLiteral("-id"), window};
            const QString type = output("xprop", id + QStringList{QStringLiteral("_NET_WM_WINDOW_TYPE")});
            if (output("xwininfo", id).contains(bypassesTheManager) && !type.contains(QStringLiteral("TOOLTIP"))) ++popups;
        }
        return popups;
    }

    // The one checked segment of a row; none unless exactly one is.
    std::optional<QString> chosen(const QStringList& segments) {
        QStringList checked;
        for (const QString& segment : segments)
            if (reader.checked(radioButton, segment)) checked.append(segment);
        return checked.size() == 1 ? std::optional(checked.first()) : std::nullopt;
    }
};

TEST_F(ScreenReaderOnX11Test, TheSetUpsSegmentsChooseOnTheirOwnActionsAndThePortraitsSizeReadsAsShown) {
    ASSERT_NO_FATAL_FAILURE(start({}, true));
    ASSERT_TRUE(within([&] { return reader.act(pushButton, QStringLiteral("开始录屏"), press); }));
    const QStringList scopes{QStringLiteral("窗口"), QStringLiteral("区域"), QStringLiteral("全屏"),
                             QStringLiteral("只录人像")};
    ASSERT_TRUE(within([&] { return chosen(scopes) == QStringLiteral("全屏"); })) << "no window: the whole display";
    EXPECT_TRUE(reader.shows(QStringLiteral("label"), QStringLiteral("录制所选显示器的完整画面。")));

    ASSERT_TRUE(reader.act(radioButton, QStringLiteral("区域"), toggle));
    EXPECT_TRUE(within([&] {
        return chosen(scopes) == QStringLiteral("区域") && reader.shows(pushButton, QStringLiteral("框选录制区域"));
    })) << "the area's row is shown";
    ASSERT_TRUE(reader.act(radioButton, QStringLiteral("窗口"), press));
    EXPECT_TRUE(within([&] {
        return chosen(scopes) == QStringLiteral("窗口") && reader.shows(pushButton, QStringLiteral("刷新窗口列表")) &&
               !reader.shows(pushButton, QStringLiteral("框选录制区域"));
    })) << "the window's row is shown";
    EXPECT_EQ(reader.description(QStringLiteral("combo box"), QStringLiteral("要录制的窗口")),
              QStringLiteral("没有可录制的窗口"))
        << "the list is named by what it chooses and says it is empty";

    // The portrait's shape is the thumbnail's.
    ASSERT_TRUE(reader.act(QStringLiteral("check box"), QStringLiteral("打开摄像头 · 人像与屏幕一起录"), toggle));
    const QStringList shapes{QStringLiteral("圆形"), QStringLiteral("方形"), QStringLiteral("长方形")};
    const QString thumbnail = QStringLiteral("人像预览，点击切换全屏口播");
    const QString filler = QStringLiteral("filler");
    ASSERT_TRUE(within([&] { return reader.size(filler, thumbnail) == QSize(84, 84); })) << "the camera runs";
    EXPECT_EQ(chosen(shapes), QStringLiteral("圆形"));
    const std::optional<test::ScreenReader::Reading> size = reader.reading(slider, QStringLiteral("人像大小"));
    ASSERT_TRUE(size);
    EXPECT_EQ(size->value, 23) << "the percentage beside it";
    EXPECT_TRUE(reader.shows(label, QStringLiteral("23%")));
    ASSERT_TRUE(reader.act(radioButton, QStringLiteral("长方形"), toggle));
    EXPECT_TRUE(within([&] {
        return chosen(shapes) == QStringLiteral("长方形") && reader.size(filler, thumbnail) == QSize(134, 84);
    }));

    // The camera alone, framed upright.
    ASSERT_TRUE(reader.act(radioButton, QStringLiteral("只录人像"), toggle));
    const QStringList aspects{QStringLiteral("竖版 3:4"), QStringLiteral("竖版 9:16"), QStringLiteral("横版 16:9"),
                              QStringLiteral("横版 4:3"), QStringLiteral("方形"), QStringLiteral("自定义")};
    ASSERT_TRUE(within([&] { return chosen(aspects) == QStringLiteral("横版 16:9"); }));
    EXPECT_TRUE(reader.shows(QStringLiteral("label"), QStringLiteral("成片 1920 × 1080")));
    ASSERT_TRUE(reader.act(radioButton, QStringLiteral("竖版 9:16"), toggle));
    EXPECT_TRUE(within([&] {
        return chosen(aspects) == QStringLiteral("竖版 9:16") &&
               reader.shows(QStringLiteral("label"), QStringLiteral("成片 1080 × 1920"));
    }));
}

// The sheet is named by its heading and every control in it that takes the
// keyboard by what it is or holds; the teleprompter's transparency takes the
// keyboard as the sheet's other controls do, and the framing's zoom reads
// and steps in the tenths its label shows.
TEST_F(ScreenReaderOnX11Test, TheSetUpIsNamedAndItsTransparencyAndZoomAreReachedAsShown) {
    ASSERT_NO_FATAL_FAILURE(start({}, true));
    ASSERT_TRUE(within([&] { return reader.act(pushButton, QStringLiteral("开始录屏"), press); }));
    ASSERT_TRUE(within([&] { return reader.shows(dialog, QStringLiteral("开始一段录屏")); }));
    EXPECT_EQ(unnamedFocusable(), "");

    ASSERT_TRUE(reader.act(QStringLiteral("check box"), QStringLiteral("使用提词器"), toggle));
    const QString transparency = QStringLiteral("提词器背景透明度");
    ASSERT_TRUE(within([&] { return reader.shows(slider, transparency); }));
    EXPECT_TRUE(focus(slider, transparency));
    ASSERT_TRUE(key(QStringLiteral("Tab")));
    EXPECT_TRUE(within([&] { return has(pushButton, QStringLiteral("全透明"), focused); })) << "Tab reaches it";

    ASSERT_TRUE(reader.act(radioButton, QStringLiteral("只录人像"), toggle));
    const QString zoom = QStringLiteral("取景放大倍数");
    ASSERT_TRUE(within([&] { return reader.shows(slider, zoom); }));
    const std::optional<test::ScreenReader::Reading> reading = reader.reading(slider, zoom);
    ASSERT_TRUE(reading);
    EXPECT_DOUBLE_EQ(reading->value, 1) << "as \"1.0×\" beside it";
    EXPECT_DOUBLE_EQ(reading->minimum, 1);
    EXPECT_DOUBLE_EQ(reading->maximum, 10);
    EXPECT_DOUBLE_EQ(reading->step, 0.1);
    ASSERT_TRUE(focus(slider, zoom));
    ASSERT_TRUE(key(QStringLiteral("Right")));
    EXPECT_TRUE(within([&] { return reader.shows(label, QStringLiteral("1.1×")); })) << "a tenth on";
}

TEST_F(ScreenReaderOnX11Test, ThePlayerAndTheTrimFieldsAreNamedAndPlayOnPress) {
    const QString video = home.path() + QStringLiteral("/讲解.mp4");
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(video, {.duration = 3.0}));
    ASSERT_NO_FATAL_FAILURE(start({video}, false));
    ASSERT_TRUE(within([&] {
        const std::optional<QStringList> play = reader.states(pushButton, QStringLiteral("播放"));
        return play && play->contains(QStringLiteral("enabled"));
    })) << "the video can be played";
    EXPECT_TRUE(reader.shows(slider, QStringLiteral("播放进度")));
    EXPECT_TRUE(reader.shows(QStringLiteral("text"), QStringLiteral("裁剪开始秒数")));
    EXPECT_TRUE(reader.shows(QStringLiteral("text"), QStringLiteral("裁剪结束秒数")));
    EXPECT_EQ(unnamedControls(), "") << "every shown control has a name";

    ASSERT_TRUE(reader.act(pushButton, QStringLiteral("播放"), press));
    EXPECT_TRUE(within([&] { return reader.shows(pushButton, QStringLiteral("暂停")); })) << "it plays";

    // Letters as the start: the trim says what is wrong, as a range past the end does.
    ASSERT_TRUE(focus(QStringLiteral("text"), QStringLiteral("裁剪开始秒数")));
    ASSERT_TRUE(key(QStringLiteral("ctrl+a")));
    ASSERT_TRUE(test::xdotool({QStringLiteral("type"), QStringLiteral("abc")}));
    ASSERT_TRUE(reader.act(pushButton, QStringLiteral("另存片段"), press));
    const QString wrong = QStringLiteral("请输入有效的起止秒数，结束时间不能超出视频长度。");
    EXPECT_TRUE(within([&] { return reader.shows(QStringLiteral("filler"), wrong); })) << "on the status line";
}

// Seconds, as the time beside it shows: an arrow key seeks a second, a page ten.
TEST_F(ScreenReaderOnX11Test, ThePositionSliderSeeksBySecondsFromTheKeyboard) {
    const QString video = home.path() + QStringLiteral("/长讲解.mp4");
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(video, {.duration = 25.0, .size = QSize(64, 48), .rate = 5}));
    ASSERT_NO_FATAL_FAILURE(start({video}, false));
    const QString position = QStringLiteral("播放进度");
    ASSERT_TRUE(within([&] {
        const std::optional<QStringList> states = reader.states(slider, position);
        return states && states->contains(QStringLiteral("enabled"));
    })) << "the video can be played";
    const std::optional<test::ScreenReader::Reading> reading = reader.reading(slider, position);
    ASSERT_TRUE(reading);
    EXPECT_EQ(reading->step, 1) << "a second";
    EXPECT_EQ(reading->maximum, 25);

    ASSERT_TRUE(within([&] { return reader.act(slider, position, QStringLiteral("SetFocus")); }));
    ASSERT_TRUE(within([&] {
        const std::optional<QStringList> states = reader.states(slider, position);
        return states && states->contains(QStringLiteral("focused"));
    }));
    ASSERT_TRUE(test::xdotool({QStringLiteral("key"), QStringLiteral("Right")}));
    EXPECT_TRUE(within([&] { return reader.shows(label, QStringLiteral("0:01 / 0:25")); })) << "a second on";
    ASSERT_TRUE(test::xdotool({QStringLiteral("key"), QStringLiteral("Page_Up")}));
    EXPECT_TRUE(within([&] { return reader.shows(label, QStringLiteral("0:11 / 0:25")); })) << "ten more";
}

// A raw recording in the library with its project beside it, opened: the
// popover's controls are read among the program's windows, and its render
// button makes a finished video.
TEST_F(ScreenReaderOnX11Test, TheEffectsPopoverIsReadAndRendersAgainOnPress) {
    const QString library = home.desktop() + QStringLiteral("/岚帧");
    ASSERT_TRUE(QDir().mkpath(library));
    const QString raw = library + QStringLiteral("/录屏.mp4");
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(raw, {.duration = 1.0, .size = QSize(160, 120)}));
    RecordingProject project;
    project.sourceFile = QStringLiteral("录屏.mp4");
    project.targetName = QStringLiteral("全屏 · 160 × 120");
    project.duration = 1.0;
    project.samples = {{0.2, 0.5, 0.5, true, false}};
    ASSERT_NO_THROW(project.save(raw));
    ASSERT_NO_FATAL_FAILURE(start({raw}, false));

    const QString render = QStringLiteral("重新生成成片");
    ASSERT_TRUE(within([&] { return reader.act(pushButton, QStringLiteral("画面效果"), press); }));
    ASSERT_TRUE(within([&] { return reader.shows(pushButton, render); })) << "the open popover is read";
    EXPECT_TRUE(reader.shows(QStringLiteral("frame"), QStringLiteral("调整讲解画面"))) << "its window, by its heading";
    EXPECT_TRUE(within([&] { return has(QStringLiteral("check box"), QStringLiteral("跟随鼠标自动缩放"), focused); }))
        << "the keyboard went into it";
    const std::optional<test::ScreenReader::Reading> zoom = reader.reading(slider, QStringLiteral("自动放大倍数"));
    ASSERT_TRUE(zoom);
    EXPECT_TRUE(reader.shows(label, QString::asprintf("%.2f×", zoom->value)))
        << "自动放大倍数 reads " << zoom->value << ", not the factor beside it";
    EXPECT_EQ(unnamedControls(), "") << "every shown control has a name";

    ASSERT_TRUE(reader.act(pushButton, render, press));
    // The project is written beside a finished video once it is whole.
    const auto finished = [&] {
        const QDir folder(library);
        const QStringList videos = folder.entryList({QStringLiteral("讲解成片*.mp4")}, QDir::Files);
        return videos.size() == 1 && QFileInfo::exists(RecordingProject::sidecar(folder.filePath(videos[0])));
    };
    EXPECT_TRUE(QTest::qWaitFor(finished, 120'000)) << "a finished video with its project";
    EXPECT_FALSE(reader.shows(pushButton, render)) << "the popover closed";
}

// The practice picture, as a first start offers it: every control of the
// editor is named, and the tools and colours are radio buttons, the chosen
// one checked.
TEST_F(ScreenReaderOnX11Test, TheEditorsControlsAreNamedAndItsToolsAndColoursSayWhichIsChosen) {
    ASSERT_NO_FATAL_FAILURE(start({}, false));
    ASSERT_TRUE(within([&] { return reader.shows(pushButton, QStringLiteral("试一试")); }));
    EXPECT_EQ(unnamedFocusable(), "") << "on the start window";
    ASSERT_TRUE(reader.act(pushButton, QStringLiteral("试一试"), press));
    ASSERT_TRUE(within([&] { return reader.shows(pushButton, QStringLiteral("选择箭头")); }))
        << "the practice's guide is shown";
    for (const char* name : {"撤销", "重做", "删除选中标注", "打开演示图", "结束示例引导", "缩小", "放大"})
        EXPECT_TRUE(reader.shows(pushButton, QString::fromUtf8(name))) << name;
    EXPECT_TRUE(reader.shows(slider, QStringLiteral("粗细")));
    EXPECT_EQ(unnamedControls(), "") << "every shown control has a name";
    EXPECT_EQ(unnamedFocusable(), "");
    ASSERT_TRUE(reader.act(pushButton, QStringLiteral("尺寸与旋转"), press));
    EXPECT_TRUE(within([&] { return reader.shows(QStringLiteral("text"), QStringLiteral("宽度")); }));
    EXPECT_EQ(unnamedFocusable(), "") << "with 尺寸与旋转 open";
    const QString practice = QStringLiteral("这是练习用的示例图。完成后可以复制或保存到桌面「岚帧」。");
    EXPECT_EQ(reader.description(QStringLiteral("filler"), practice), practice) << "the status in words, no markup";

    const QString pageTab = QStringLiteral("page tab");
    const QString selected = QStringLiteral("selected");
    const QString history = QStringLiteral("历史 0");
    EXPECT_TRUE(has(pageTab, QStringLiteral("标注"), selected));
    EXPECT_FALSE(has(pageTab, history, selected));
    ASSERT_TRUE(reader.act(pageTab, history, press));
    EXPECT_TRUE(within([&] { return has(pageTab, history, selected) && !has(pageTab, QStringLiteral("标注"), selected); }));
    ASSERT_TRUE(reader.act(pageTab, QStringLiteral("标注"), press));

    QStringList colours;
    for (const char* colour : {"红色", "青绿色", "黄色", "蓝色", "紫色", "黑色", "白色"})
        colours.append(QStringLiteral("标注颜色 ") + QString::fromUtf8(colour));
    EXPECT_EQ(chosen(colours), QStringLiteral("标注颜色 红色")) << "a new document's ink";
    ASSERT_TRUE(reader.act(radioButton, QStringLiteral("标注颜色 蓝色"), press));
    EXPECT_TRUE(within([&] { return chosen(colours) == QStringLiteral("标注颜色 蓝色"); }));

    const QStringList tools{QStringLiteral("选择"), QStringLiteral("箭头"), QStringLiteral("方框"),
                            QStringLiteral("文字"), QStringLiteral("马赛克"), QStringLiteral("裁剪")};
    EXPECT_EQ(chosen(tools), QStringLiteral("箭头")) << "the practice's tool";
    ASSERT_TRUE(reader.act(radioButton, QStringLiteral("方框"), press));
    EXPECT_TRUE(within([&] { return chosen(tools) == QStringLiteral("方框"); }));
}

// 保存, 更多截图 and the two menus of 尺寸与旋转 open on their own action, as
// Space does, and an item pressed by a screen reader closes its menu, as a
// click does.
TEST_F(ScreenReaderOnX11Test, TheMenuButtonsOpenTheirMenusOnTheirAction) {
    ASSERT_NO_FATAL_FAILURE(start({}, false));
    ASSERT_TRUE(within([&] { return reader.act(pushButton, QStringLiteral("试一试"), press); }));
    ASSERT_TRUE(within([&] { return reader.act(pushButton, QStringLiteral("尺寸与旋转"), press); }));
    const QString showMenu = QStringLiteral("ShowMenu");
    const QString menuItem = QStringLiteral("menu item");
    for (const auto& [button, item] : {std::pair("保存", "保存 PNG"), std::pair("图片旋转与翻转", "向右旋转 90°"),
                                       std::pair("拼接另一张图片", "接到下方")}) {
        ASSERT_TRUE(within([&] { return reader.act(pushButton, QString::fromUtf8(button), showMenu); })) << button;
        EXPECT_TRUE(within([&] { return reader.shows(menuItem, QString::fromUtf8(item)); })) << button;
        ASSERT_TRUE(key(QStringLiteral("Escape")));
        ASSERT_TRUE(within([&] { return !reader.shows(menuItem, QString::fromUtf8(item)); })) << button;
    }
    ASSERT_TRUE(reader.act(pushButton, QStringLiteral("更多截图"), showMenu));
    EXPECT_TRUE(within([&] { return reader.shows(menuItem, QStringLiteral("窗口截图")); }));
    ASSERT_TRUE(reader.act(menuItem, QStringLiteral("捕获鼠标指针"), press));
    EXPECT_TRUE(within([&] { return !reader.shows(menuItem, QStringLiteral("窗口截图")); }));
}

// The menu bar's items pressed as a screen reader presses them: after 返回首页
// the keyboard is where it was and Tab goes on from there; after 关闭窗口 no
// menu holds the keyboard, so the hot keys work.
TEST_F(ScreenReaderOnX11Test, AMenuItemPressedByAScreenReaderLeavesNoMenuHoldingTheKeyboard) {
    ASSERT_NO_FATAL_FAILURE(start({}, false));
    const QString menuItem = QStringLiteral("menu item");
    const QString sample = QStringLiteral("试一试");
    const auto pressInFileMenu = [&](const QString& item) {
        return reader.act(menuItem, QStringLiteral("文件"), QStringLiteral("ShowMenu")) &&
               within([&] { return reader.shows(menuItem, item); }) && reader.act(menuItem, item, press);
    };
    ASSERT_TRUE(within([&] { return focus(pushButton, sample); }));
    ASSERT_TRUE(pressInFileMenu(QStringLiteral("返回首页")));
    EXPECT_TRUE(within([&] {
        return !reader.shows(menuItem, QStringLiteral("返回首页")) && has(pushButton, sample, focused);
    })) << "the menu closed and the keyboard is where it was";
    ASSERT_TRUE(key(QStringLiteral("Tab")));
    EXPECT_TRUE(within([&] { return !has(pushButton, sample, focused); }));
    EXPECT_FALSE(has(QStringLiteral("menu bar"), QString(), focused));

    ASSERT_TRUE(pressInFileMenu(QStringLiteral("关闭窗口")));
    ASSERT_TRUE(within([&] { return !reader.shows(pushButton, sample); })) << "the window went";
    ASSERT_TRUE(key(QStringLiteral("ctrl+shift+6")));
    EXPECT_TRUE(within([&] { return !inLibrary(QStringLiteral("截图*.png")).isEmpty(); })) << "a full screenshot";
}

// 更多截图 → 截图延时 → 3 秒 pressed as a screen reader presses it: the delay
// is chosen, the submenu and the menu it came from both close, and the hot
// keys work.
TEST_F(ScreenReaderOnX11Test, ASubmenuItemPressedByAScreenReaderClosesEveryMenuItCameFrom) {
    ASSERT_NO_FATAL_FAILURE(start({}, false));
    ASSERT_TRUE(within([&] { return reader.act(pushButton, QStringLiteral("试一试"), press); }));
    const QString showMenu = QStringLiteral("ShowMenu");
    const QString menuItem = QStringLiteral("menu item");
    const QString threeSeconds = QStringLiteral("3 秒");
    const auto openDelays = [&] {
        return within([&] { return reader.act(pushButton, QStringLiteral("更多截图"), showMenu); }) &&
               within([&] { return reader.act(menuItem, QStringLiteral("截图延时"), showMenu); }) &&
               within([&] { return reader.shows(menuItem, threeSeconds); });
    };
    ASSERT_TRUE(openDelays());
    ASSERT_TRUE(within([&] { return shownPopups() == 2; }));
    ASSERT_TRUE(reader.act(menuItem, threeSeconds, press));
    EXPECT_TRUE(within([&] { return shownPopups() == 0; })) << "both menus closed";
    ASSERT_TRUE(key(QStringLiteral("ctrl+shift+6")));
    EXPECT_TRUE(within([&] { return !inLibrary(QStringLiteral("截图*.png")).isEmpty(); })) << "a full screenshot";
    ASSERT_TRUE(openDelays());
    EXPECT_TRUE(reader.checked(menuItem, threeSeconds)) << "the delay is chosen";
}

// The background sheet is named by its title; after 应用背景 the keyboard is
// back on the button that opened it, which stood disabled while the picture
// was framed.
TEST_F(ScreenReaderOnX11Test, AfterApplyingABackgroundTheKeyboardIsBackOnTheButtonThatOpenedIt) {
    ASSERT_NO_FATAL_FAILURE(start({}, false));
    ASSERT_TRUE(within([&] { return reader.act(pushButton, QStringLiteral("试一试"), press); }));
    const QString background = QStringLiteral("背景 · 渐变与纯色");
    ASSERT_TRUE(within([&] { return focus(pushButton, background); }));
    ASSERT_TRUE(reader.act(pushButton, background, press));
    const QString sheet = QStringLiteral("给截图选个背景");
    ASSERT_TRUE(within([&] { return reader.shows(dialog, sheet); }));
    const QString apply = QStringLiteral("应用背景");
    ASSERT_TRUE(within([&] { return has(pushButton, apply, QStringLiteral("enabled")); })) << "its preview is ready";
    ASSERT_TRUE(reader.act(pushButton, apply, press));
    EXPECT_TRUE(within([&] { return !reader.shows(dialog, sheet) && has(pushButton, background, focused); }));
}

// A pinned picture is a window to a screen reader, named by its title.
TEST_F(ScreenReaderOnX11Test, APinIsAWindow) {
    ASSERT_NO_FATAL_FAILURE(start({}, false));
    ASSERT_TRUE(within([&] { return reader.act(pushButton, QStringLiteral("试一试"), press); }));
    ASSERT_TRUE(within([&] { return reader.act(pushButton, QStringLiteral("贴图"), press); }));
    EXPECT_TRUE(within([&] { return reader.shows(QStringLiteral("frame"), QStringLiteral("贴图 · 可拖动与缩放")); }));
    EXPECT_TRUE(reader.shows(slider, QStringLiteral("透明度"))) << "named by its caption";
}

}  // namespace
