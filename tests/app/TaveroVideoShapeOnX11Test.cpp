// The real program shows PAL's and DV's videos, whose pixels are not
// square, at the shape FFmpeg shows them, writes their GIF at that shape and
// keeps their pixels in a trim; a video coded in SMPTE 240M shows, exports
// and trims in FFmpeg's colours. Controls are pressed as a screen reader
// presses them.
#include "platform/desktop/X11ScreenSource.h"
#include "tests/app/ProgramUnderScreenReader.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/PictureCodings.h"

#include <QDir>
#include <QImageReader>

#include <algorithm>
#include <functional>

using namespace tavero;

namespace {

constexpr int waitMs = 60'000;

struct ShownVideo {
    std::string name;
    QString suffix;
    std::function<void(const QString& path)> make;
    QSize shown;
};

void PrintTo(const ShownVideo& video, std::ostream* out) { *out << video.name; }

// Ten seconds of the quarters: a new workspace trims 0 to 10 s.
QList<ShownVideo> shownVideos() {
    QList<ShownVideo> videos;
    for (test::PixelAspectVideo video : test::pixelAspectVideos().mid(0, 2)) {
        video.fixture.duration = 10;
        videos.append({video.name, video.suffix, [fixture = video.fixture](const QString& path) {
                           test::makeVideo(path, fixture);
                       }, video.shown});
    }
    const QList<test::PictureCoding> codings = test::pictureCodings();
    const auto card = std::find_if(codings.begin(), codings.end(), [](const test::PictureCoding& coding) {
        return coding.name == "H264_420_smpte240m";
    });
    videos.append({card->name, card->suffix, [coding = *card](const QString& path) {
                       test::makeCodedVideo(path, coding, test::Showing::quarters, {320, 240}, 10);
                   }, {320, 240}});
    return videos;
}

// Near one of the quarters' colours, as no other part of the window is.
bool ofTheQuarters(QRgb pixel) {
    return std::any_of(test::quarterColours.begin(), test::quarterColours.end(),
                       [&](const QColor& colour) { return test::sameColours({QColor(pixel)}, {colour}, 59); });
}

QRect quartersIn(const QImage& window) {
    QRect found;
    for (int y = 0; y < window.height(); ++y)
        for (int x = 0; x < window.width(); ++x)
            if (ofTheQuarters(window.pixel(x, y))) found |= QRect(x, y, 1, 1);
    return found;
}

class TaveroVideoShapeOnX11Test : public test::ProgramUnderScreenReader,
                                  public testing::WithParamInterface<ShownVideo> {
protected:
    // The picture the player shows, once it shows.
    QImage shownPicture() {
        QImage picture;
        (void)QTest::qWaitFor(
            [&] {
                for (const WindowInfo& window : screen.windows()) {
                    if (window.processID != program.processId()) continue;
                    const QImage shot = screen.grab(ContentFilter::forWindow(window), false);
                    const QRect area = quartersIn(shot);
                    if (area.width() > 100) picture = shot.copy(area);
                }
                return !picture.isNull();
            },
            waitMs);
        return picture;
    }

    // The library's one file named so, once it is written.
    QString written(const QString& pattern) {
        const QDir library(home.desktop() + QStringLiteral("/岚帧"));
        QStringList found;
        (void)QTest::qWaitFor([&] { return !(found = library.entryList({pattern}, QDir::Files)).isEmpty(); }, waitMs);
        return found.isEmpty() ? QString() : library.filePath(found.front());
    }

    bool pressed(const QString& button) {
        return QTest::qWaitFor([&] { return reader.act(pushButton, button, press); }, waitMs);
    }

    X11ScreenSource screen;
};

TEST_P(TaveroVideoShapeOnX11Test, ShowsTheVideoAtItsShapeInItsColoursAndExportsItSo) {
    const QString video = home.path() + QStringLiteral("/讲解.") + GetParam().suffix;
    ASSERT_NO_FATAL_FAILURE(GetParam().make(video));
    const QList<QImage> decoded = test::decodePictures(video, GetParam().shown, 1);
    ASSERT_EQ(decoded.size(), 1);
    start({video});

    const QImage shown = shownPicture();
    ASSERT_FALSE(shown.isNull()) << "no picture shows";
    const double shape = double(GetParam().shown.width()) / GetParam().shown.height();
    EXPECT_NEAR(double(shown.width()) / shown.height(), shape, 0.03 * shape) << shown.width() << " x " << shown.height();
    const QList<QColor> colours = test::quartersOf(decoded.front());
    EXPECT_TRUE(test::sameColours(test::quartersOf(shown), colours, 6));

    ASSERT_TRUE(pressed(QStringLiteral("导出 GIF")));
    const QString gif = written(QStringLiteral("动图*.gif"));
    ASSERT_FALSE(gif.isEmpty());
    const QImage gifPicture = QImageReader(gif).read();
    EXPECT_EQ(gifPicture.size(), GetParam().shown);
    EXPECT_TRUE(test::sameColours(test::quartersOf(gifPicture), colours, 6));

    ASSERT_TRUE(pressed(QStringLiteral("另存片段")));
    const QString trimmed = written(QStringLiteral("裁剪录屏*.mp4"));
    ASSERT_FALSE(trimmed.isEmpty());
    const QStringList aspects{QStringLiteral("-select_streams"), QStringLiteral("v:0"), QStringLiteral("-show_entries"),
                              QStringLiteral("stream=sample_aspect_ratio,display_aspect_ratio")};
    EXPECT_EQ(test::ffprobe(aspects, trimmed).toStdString(), test::ffprobe(aspects, video).toStdString());
    const QList<QImage> cut = test::decodePictures(trimmed, GetParam().shown, 1);
    ASSERT_EQ(cut.size(), 1);
    EXPECT_TRUE(test::sameColours(test::quartersOf(cut.front()), colours, 6));
}

INSTANTIATE_TEST_SUITE_P(Videos, TaveroVideoShapeOnX11Test, testing::ValuesIn(shownVideos()),
                         [](const testing::TestParamInfo<ShownVideo>& video) { return video.param.name; });

}  // namespace
