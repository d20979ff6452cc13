// A take of the whole display over the bare root window with a pattern and
// no desktop picture (a window manager without a desktop program): the real
// program on a fresh account, openbox, the accessibility and sound servers of
// the test's own; run again under a compositing manager, which shows its own
// desktop instead of the pattern. The control bar and the border are up
// before the first picture, and the bar is dragged during the take; every
// picture shows what the screen showed before, where the bar lay and along
// the border. A scrolling capture of a terminal's page runs there too.
#include "platform/desktop/SyntheticKeyboard.h"
#include "tests/app/RunningTavero.h"
#include "tests/support/Files.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/RealInput.h"
#include "tests/support/ScreenReader.h"
#include "tests/support/SkipUnlessRequired.h"
#include "tests/support/SoundServer.h"

#include <QDir>

#include <algorithm>

using namespace tavero;

namespace {

// Squares of two colours, tiled from the root's corner; pictures decoded at half size.
constexpr int square = 64;
const QColor colours[] = {QColor(240, 208, 32), QColor(32, 96, 192)};

QColor patternAt(QPoint point) { return colours[(point.x() / square + point.y() / square) % 2]; }

QByteArray bitmapOfPattern() {
    QByteArray text = "#define b_width 128\n#define b_height 128\nstatic unsigned char b_bits[] = {\n";
    for (int y = 0; y < 2 * square; ++y)
        for (int x = 0; x < 2 * square; x += 8)
            text += (patternAt(QPoint(x, y)) == colours[0] ? "0xff," : "0x00,");
    return text + "};\n";
}

// The share of `rect` (root pixels) showing what `screen` showed, away from the squares' edges;
// the picture holds the root from `origin` on.
double shownShare(const QImage& picture, const QImage& screen, const QRect& rect, QPoint origin = {}) {
    int matching = 0;
    int read = 0;
    for (int y = rect.top(); y <= rect.bottom(); y += 2)
        for (int x = rect.left(); x <= rect.right(); x += 2) {
            if (std::min({x % square, y % square, square - x % square, square - y % square}) < 8) continue;
            ++read;
            const QPoint at((x - origin.x()) / 2, (y - origin.y()) / 2);
            matching += test::sameColours({picture.pixelColor(at)}, {screen.pixelColor(x, y)}, 39);
        }
    return read ? double(matching) / read : 0;
}

// The least share of `rect` and of the strips along its sides, where a
// compositing manager draws a window's shadow, that shows what `screen`
// showed; of their parts within `recorded`, which the picture holds.
double leastShownAround(const QImage& picture, const QImage& screen, const QRect& rect, const QRect& recorded) {
    constexpr int strip = 24;
    const QRect strips[] = {rect, QRect(rect.left() - strip, rect.top() - strip, rect.width() + 2 * strip, strip),
                            QRect(rect.left() - strip, rect.bottom() + 1, rect.width() + 2 * strip, strip),
                            QRect(rect.left() - strip, rect.top(), strip, rect.height()),
                            QRect(rect.right() + 1, rect.top(), strip, rect.height())};
    double least = 1;
    for (const QRect& part : strips)
        if (part.intersects(recorded))
            least = std::min(least, shownShare(picture, screen, part & recorded, recorded.topLeft()));
    return least;
}

// Pixels of the picture's two outermost rows and columns that show the border's red.
int redAlongEdges(const QImage& picture) {
    int red = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            if (std::min({x, y, picture.width() - 1 - x, picture.height() - 1 - y}) >= 2) continue;
            const QColor colour = picture.pixelColor(x, y);
            red += colour.red() - std::max(colour.green(), colour.blue()) > 48;
        }
    return red;
}

// The median of the picture's greys, -1 for an empty one.
int medianGrey(const QImage& picture) {
    QList<int> greys;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) greys.append(qGray(picture.pixel(x, y)));
    std::nth_element(greys.begin(), greys.begin() + greys.size() / 2, greys.end());
    return greys.isEmpty() ? -1 : greys[greys.size() / 2];
}

class RecordingOverBareDesktopOnX11Test : public test::RunningTavero {
protected:
    void SetUp() override {
        if (!sound.running()) TAVERO_SKIP_UNLESS_REQUIRED("no PulseAudio server could be started");
        if (reader.unavailable()) TAVERO_SKIP_UNLESS_REQUIRED(reader.unavailable()->toStdString());
        const QString bitmap = home.path() + QStringLiteral("/pattern.xbm");
        test::writeFile(bitmap, bitmapOfPattern());
        ASSERT_TRUE(test::outputOf(QStringLiteral("xsetroot"), {QStringLiteral("-bitmap"), bitmap,
                                                               QStringLiteral("-fg"), colours[0].name(),
                                                               QStringLiteral("-bg"), colours[1].name()}));
        ASSERT_TRUE(test::pointAt(QPoint(10, 10)));
        shown = screen.grabArea(QRect(0, 0, 1920, 1080), false);
        program.setProcessEnvironment(reader.environment());
        start({});
        ASSERT_TRUE(QTest::qWaitFor([&] { return reader.attach(program.processId()); }, 60'000));
    }

    void startOrStop() {
        keyboard.chord(Qt::ControlModifier | Qt::ShiftModifier, QLatin1Char('8'));
        keyboard.sync();
    }
    bool press(const QString& role, const QString& name) {
        return QTest::qWaitFor([&] { return reader.act(role, name, QStringLiteral("Press")); }, 20'000);
    }
    std::optional<QRect> place(const QString& title) {
        const std::optional<WindowInfo> shown = window(title);
        return shown ? std::optional(shown->frame) : std::nullopt;
    }
    std::optional<QRect> barPlace() { return place(QStringLiteral("岚帧录屏控制条")); }
    std::optional<QRect> prompterPlace() { return place(QStringLiteral("提词器 · 不进入成片")); }
    // Drags the panel by `by`, held `grip` into it, and waits until it stands clear of where it was.
    QRect dragged(const std::function<std::optional<QRect>()>& placeNow, QPoint grip, QPoint by) {
        const QRect from = *placeNow();
        grip += from.topLeft();
        EXPECT_TRUE(test::drag(grip, grip + by));
        EXPECT_TRUE(QTest::qWaitFor([&] { return placeNow() && !placeNow()->intersects(from); }, 20'000));
        return placeNow().value_or(from);
    }
    // The joined take, published once complete.
    std::optional<QString> take() const {
        const QDir library(home.desktop() + QStringLiteral("/岚帧"));
        const QStringList takes = library.entryList({QStringLiteral("录屏_*.mp4")});
        return takes.isEmpty() ? std::nullopt : std::optional(library.filePath(takes.first()));
    }

    test::SoundServer sound;
    test::ScreenReader reader;
    SyntheticKeyboard keyboard;
    // The screen before the program started.
    QImage shown;
};

TEST_F(RecordingOverBareDesktopOnX11Test, EveryPictureShowsTheDesktopWhereTheControlBarLayBeforeAndAfterItWasDragged) {
    startOrStop();
    ASSERT_TRUE(press(QStringLiteral("radio button"), QStringLiteral("全屏")));
    ASSERT_TRUE(press(QStringLiteral("push button"), QStringLiteral("开始录制")));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return reader.shows(QStringLiteral("push button"), QStringLiteral("停止录制")); }, 60'000))
        << "the take began after its countdown";
    const std::optional<QRect> first = barPlace();
    ASSERT_TRUE(first);
    QTest::qWait(1500);
    // Held by its left edge, beside the status dot.
    const QRect second = dragged([&] { return barPlace(); }, QPoint(8, first->height() / 2), QPoint(-300, -400));
    ASSERT_TRUE(test::pointAt(QPoint(10, 10)));
    QTest::qWait(1500);
    startOrStop();

    ASSERT_TRUE(QTest::qWaitFor([&] { return take().has_value(); }, 120'000)) << "the take is saved";
    const QRect display(0, 0, 1920, 1080);
    const QList<QImage> pictures = test::decodePictures(*take(), display.size() / 2, 300);
    ASSERT_GT(pictures.size(), 2);
    for (qsizetype index = 0; index < pictures.size(); ++index) {
        EXPECT_GT(leastShownAround(pictures[index], shown, *first, display), 0.9)
            << "picture " << index << ", where the bar lay first and around it";
        EXPECT_GT(leastShownAround(pictures[index], shown, second, display), 0.9)
            << "picture " << index << ", where it was dragged and around it";
        EXPECT_EQ(redAlongEdges(pictures[index]), 0) << "picture " << index << ", along the border";
    }
}

// A take of an area the teleprompter and the control bar lie over, both
// dragged within it during the take: every picture shows what the screen
// showed where each lay, and none the border's red around the area.
TEST_F(RecordingOverBareDesktopOnX11Test, EveryPictureOfAnAreaShowsTheDesktopWhereTheTeleprompterAndTheBarLay) {
    startOrStop();
    ASSERT_TRUE(press(QStringLiteral("radio button"), QStringLiteral("区域")));
    ASSERT_TRUE(press(QStringLiteral("push button"), QStringLiteral("框选录制区域")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return test::xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                            QStringLiteral("--name"), QStringLiteral("松开后返回设置")}); },
                                20'000)) << "the area picker";
    const QRect area(300, 100, 1320, 920);
    ASSERT_TRUE(test::drag(area.topLeft(), area.bottomRight() + QPoint(1, 1)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return reader.act(QStringLiteral("check box"), QStringLiteral("使用提词器"),
                                                        QStringLiteral("Toggle")); }, 20'000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return reader.act(QStringLiteral("text"), QStringLiteral("提词稿"),
                                                        QStringLiteral("SetFocus")); }, 20'000));
    ASSERT_TRUE(test::xdotool({QStringLiteral("type"), QStringLiteral("Good morning, these are the notes.")}));
    ASSERT_TRUE(press(QStringLiteral("push button"), QStringLiteral("开始录制")));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return reader.shows(QStringLiteral("push button"), QStringLiteral("停止录制")); }, 60'000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return prompterPlace().has_value(); }, 20'000)) << "the teleprompter shows";
    const QRect bar = *barPlace();
    const QRect prompter = *prompterPlace();
    ASSERT_TRUE(area.intersects(bar) && area.intersects(prompter));
    QTest::qWait(1500);
    // The teleprompter held by its header's margin.
    const QRect prompterMoved = dragged([&] { return prompterPlace(); }, QPoint(6, 16), QPoint(-400, 340));
    const QRect barMoved = dragged([&] { return barPlace(); }, QPoint(8, bar.height() / 2), QPoint(300, -420));
    ASSERT_TRUE(test::pointAt(QPoint(10, 10)));
    QTest::qWait(1500);
    startOrStop();

    ASSERT_TRUE(QTest::qWaitFor([&] { return take().has_value(); }, 120'000)) << "the take is saved";
    const QList<QImage> pictures = test::decodePictures(*take(), area.size() / 2, 300);
    ASSERT_GT(pictures.size(), 2);
    const QList<std::pair<QRect, const char*>> places{{bar, "where the bar lay first"},
                                                      {barMoved, "where it was dragged"},
                                                      {prompter, "where the teleprompter lay first"},
                                                      {prompterMoved, "where it was dragged"}};
    for (qsizetype index = 0; index < pictures.size(); ++index) {
        for (const auto& [place, what] : places)
            EXPECT_GT(leastShownAround(pictures[index], shown, place, area), 0.9)
                << "picture " << index << ", " << what << " and around it";
        EXPECT_EQ(redAlongEdges(pictures[index]), 0) << "picture " << index << ", along the border";
    }
}

// A scrolling capture of a white terminal page, scrolled with the wheel:
// no shadow of the frame or the bar darkens what is saved, and the pieces
// match, so more than the first screen is kept.
TEST_F(RecordingOverBareDesktopOnX11Test, AScrollingCaptureOfAWhitePageIsSavedWhite) {
    // Lines of random words, then a title that tells they are all written.
    const QString lines = QStringLiteral(R"(awk 'BEGIN { srand(7); for (i = 1; i <= 400; i++) { s = i " ";
        for (n = 10 + int(rand() * 50); n > 0; --n)
            s = s substr("abcdefghijklmnopqrstuvwxyz    ", 1 + int(rand() * 30), 1);
        print s } }'; printf '\033]2;page written\007'; exec sleep 600)");
    QProcess page;
    page.start(QStringLiteral("xterm"), {QStringLiteral("-bg"), QStringLiteral("white"), QStringLiteral("-fg"),
                                         QStringLiteral("black"), QStringLiteral("-geometry"),
                                         QStringLiteral("100x60+300+60"), QStringLiteral("-e"), QStringLiteral("sh"),
                                         QStringLiteral("-c"), lines});
    const auto shown = [](const QString& name) {
        return QTest::qWaitFor([&] { return test::xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                           QStringLiteral("--name"), name}); }, 20'000);
    };
    const auto wheel = [](const QString& button, const QString& clicks, const QString& apart) {
        return test::xdotool({QStringLiteral("click"), QStringLiteral("--repeat"), clicks, QStringLiteral("--delay"),
                              apart, button});
    };
    const QRect region(310, 160, 400, 500);
    ASSERT_TRUE(shown(QStringLiteral("page written")));
    ASSERT_TRUE(test::pointAt(region.center()));
    ASSERT_TRUE(wheel(QStringLiteral("4"), QStringLiteral("80"), QStringLiteral("20"))) << "up to the first line";
    ASSERT_TRUE(press(QStringLiteral("push button"), QStringLiteral("长截图")));
    ASSERT_TRUE(shown(QStringLiteral("松开后向下滚动")));
    ASSERT_TRUE(test::drag(region.topLeft(), region.bottomRight() + QPoint(1, 1)));
    ASSERT_TRUE(shown(QStringLiteral("长截图范围")));
    ASSERT_TRUE(test::pointAt(region.center()));
    ASSERT_TRUE(wheel(QStringLiteral("5"), QStringLiteral("12"), QStringLiteral("300")));
    ASSERT_TRUE(press(QStringLiteral("push button"), QStringLiteral("完成")));
    const QDir library(home.desktop() + QStringLiteral("/岚帧"));
    const QStringList saved{QStringLiteral("长截图_*.png")};
    ASSERT_TRUE(QTest::qWaitFor([&] { return !library.entryList(saved).isEmpty(); }, 60'000));
    const QImage picture(library.filePath(library.entryList(saved).first()));
    page.kill();
    page.waitForFinished();
    EXPECT_EQ(medianGrey(picture), 255);
    EXPECT_GT(picture.height(), region.height() * 2) << "the page was followed down";
}

}  // namespace
