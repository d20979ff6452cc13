// The program as a screen reader's user meets it, through AT-SPI on a
// session bus of the test's own: the recording set-up's segmented controls
// (what to record, the portrait's shape, the camera's framing) choose on
// their own accessible actions, with exactly one choice checked; sliders
// read what their labels show; the player's controls and the trim fields
// are named and its position steps by seconds; the effects popover is found
// among the program's windows and renders again; every control of the
// editor is named and its colours say which one is chosen.
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

using namespace tavero;

namespace {

const QString radioButton = QStringLiteral("radio button");
const QString slider = QStringLiteral("slider");
const QString label = QStringLiteral("label");
const QString toggle = QStringLiteral("Toggle");
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
}

// Milliseconds on the slider: an arrow key seeks a second, a page ten.
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
    EXPECT_EQ(reading->step, 1000) << "a screen reader's step, in milliseconds";
    EXPECT_EQ(reading->maximum, 25'000);

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
    EXPECT_TRUE(reader.shows(QStringLiteral("check box"), QStringLiteral("跟随鼠标自动缩放")));
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
    ASSERT_TRUE(within([&] { return reader.act(pushButton, QStringLiteral("试一试"), press); }));
    ASSERT_TRUE(within([&] { return reader.shows(pushButton, QStringLiteral("选择箭头")); }))
        << "the practice's guide is shown";
    for (const char* name : {"撤销", "重做", "删除选中标注", "打开演示图", "结束示例引导"})
        EXPECT_TRUE(reader.shows(pushButton, QString::fromUtf8(name))) << name;
    EXPECT_TRUE(reader.shows(slider, QStringLiteral("粗细")));
    EXPECT_EQ(unnamedControls(), "") << "every shown control has a name";

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

}  // namespace
