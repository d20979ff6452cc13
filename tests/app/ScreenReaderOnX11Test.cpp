// The program as a screen reader's user meets it, through AT-SPI on a
// session bus of the test's own: the recording set-up's segmented controls
// (what to record, the portrait's shape, the camera's framing) choose on
// their own accessible actions, with exactly one choice checked, and the
// player's controls and the trim fields are named.
#include "tests/app/ProgramUnderScreenReader.h"
#include "tests/support/MediaFixtures.h"

#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

using namespace tavero;

namespace {

const QString radioButton = QStringLiteral("radio button");
const QString toggle = QStringLiteral("Toggle");

class ScreenReaderOnX11Test : public test::ProgramUnderScreenReader {
protected:
    // The program; with the synthetic camera (and screen) when asked.
    void start(const QStringList& arguments, bool syntheticCamera) {
        QProcessEnvironment fake;
        if (syntheticCamera) fake.insert(QStringLiteral("TAVERO_PLATFORM"), QStringLiteral("fake"));
        ProgramUnderScreenReader::start(arguments, fake);
    }

    static bool within(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, 30'000); }

    // The one checked segment of a row; none unless exactly one is.
    std::optional<QString> chosen(const QStringList& segments) {
        QStringList checked;
        for (const QString& segment : segments)
            if (reader.checked(radioButton, segment)) checked.append(segment);
        return checked.size() == 1 ? std::optional(checked.first()) : std::nullopt;
    }
};

TEST_F(ScreenReaderOnX11Test, TheSetUpsSegmentsChooseOnTheirOwnActions) {
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
    EXPECT_TRUE(reader.shows(QStringLiteral("slider"), QStringLiteral("播放进度")));
    EXPECT_TRUE(reader.shows(QStringLiteral("text"), QStringLiteral("裁剪开始秒数")));
    EXPECT_TRUE(reader.shows(QStringLiteral("text"), QStringLiteral("裁剪结束秒数")));
    EXPECT_EQ(reader.unnamed({pushButton, QStringLiteral("slider"), QStringLiteral("text"), radioButton,
                              QStringLiteral("check box"), QStringLiteral("combo box")}),
              QStringList())
        << "every shown control has a name";

    ASSERT_TRUE(reader.act(pushButton, QStringLiteral("播放"), press));
    EXPECT_TRUE(within([&] { return reader.shows(pushButton, QStringLiteral("暂停")); })) << "it plays";
}

}  // namespace
