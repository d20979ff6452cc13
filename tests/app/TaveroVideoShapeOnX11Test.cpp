// The real program shows videos whose pixels are not square (PAL's, DV's, a
// phone's turned by its display matrix) at the shape FFmpeg shows them,
// writes their GIF at that shape and keeps their pixels in a trim; pixels
// said to be 100 times as wide as high show square. An MPEG-TS whose
// pictures join its sound late trims at their size (it was once 2 × 2). A video coded in
// SMPTE 240M shows, exports and trims in FFmpeg's colours. Controls are
// pressed as a screen reader presses them. One without its programme tables
// opens from its packets, as it once did.
#include "app/model/FileMessages.h"
#include "platform/desktop/X11ScreenSource.h"
#include "tests/app/ProgramUnderScreenReader.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/PictureCodings.h"

#include <QImageReader>

#include <algorithm>
#include <functional>

using namespace tavero;

namespace {

struct ShownVideo {
    std::string name;
    QString file;
    std::function<void(const QString& path)> make;
    QSize shown;
};

void PrintTo(const ShownVideo& video, std::ostream* out) { *out << video.name; }

// Ten seconds of the quarters: a new workspace trims 0 to 10 s.
QList<ShownVideo> shownVideos() {
    const auto quarters = [](QSize size, const char* aspect) {
        return test::VideoFixture{.duration = 10, .size = size, .rate = 10, .quarters = true, .pixelAspect = aspect};
    };
    const auto made = [](const test::VideoFixture& video) {
        return [video](const QString& path) { test::makeVideo(path, video); };
    };
    test::VideoFixture dv = quarters({720, 480}, "8/9"), phone = quarters({480, 360}, "4/3"),
                       tableless = quarters({320, 240}, "");
    tableless.container = QStringLiteral("mpegts");
    dv.codec = QStringLiteral("dvvideo");
    dv.pixelFormat = QStringLiteral("yuv411p");
    dv.container = QStringLiteral("mov");
    phone.rotation = 90;
    const QList<test::PictureCoding> codings = test::pictureCodings();
    const test::PictureCoding coding = *std::find_if(
        codings.begin(), codings.end(), [](const auto& coding) { return coding.name == "H264_420_smpte240m"; });
    const auto card = [coding](const QString& path) {
        test::makeCodedVideo(path, coding, test::Showing::quarters, {320, 240}, 10);
    };
    return {{"Pal_16to15", QStringLiteral("pal.mp4"), made(quarters({720, 576}, "16/15")), {768, 576}},
            {"Dv_8to9", QStringLiteral("dv.mov"), made(dv), {720, 540}},
            {"Turned_4to3", QStringLiteral("phone.mp4"), made(phone), {360, 640}},
            {"Crafted_100to1", QStringLiteral("crafted.mp4"), made(quarters({320, 240}, "100")), {320, 240}},
            {"Smpte240m", QStringLiteral("card.mp4"), card, {320, 240}},
            {"TransportJoinedLate", QStringLiteral("late.mp4"),
             [](const QString& path) { test::makeLatePicturesStream(path, 6, 10); }, {320, 240}},
            {"TransportWithoutTables", QStringLiteral("tableless.ts"),
             [tableless](const QString& path) {
                 test::makeVideo(path, tableless);
                 test::leaveOutTransportTables(path);
             },
             {320, 240}}};
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
        (void)within([&] {
            for (const WindowInfo& window : screen.windows()) {
                if (window.processID != program.processId()) continue;
                const QImage shot = screen.grab(ContentFilter::forWindow(window), false);
                const QRect area = quartersIn(shot);
                if (area.width() > 100) picture = shot.copy(area);
            }
            return !picture.isNull();
        });
        return picture;
    }

    // The library's one file named so, once it is written.
    QString written(const QString& pattern) {
        QStringList found;
        (void)within([&] { return !(found = inLibrary(pattern)).isEmpty(); });
        return found.value(0);
    }

    bool pressed(const QString& button) {
        return within([&] { return reader.act(pushButton, button, press); });
    }

    X11ScreenSource screen;
};

TEST_P(TaveroVideoShapeOnX11Test, ShowsTheVideoAtItsShapeInItsColoursAndExportsItSo) {
    const QString video = home.path() + QLatin1Char('/') + GetParam().file;
    ASSERT_NO_FATAL_FAILURE(GetParam().make(video));
    const QList<QImage> decoded = test::decodePictures(video, GetParam().shown, 1);
    ASSERT_EQ(decoded.size(), 1);
    const QList<QColor> colours = test::quartersOf(decoded.front());
    start({video});

    const QImage shown = shownPicture();
    ASSERT_FALSE(shown.isNull()) << "no picture shows";
    const double shape = double(GetParam().shown.width()) / GetParam().shown.height();
    EXPECT_NEAR(double(shown.width()) / shown.height(), shape, 0.03 * shape) << shown.width() << " x " << shown.height();
    EXPECT_TRUE(test::sameColours(test::quartersOf(shown), colours, 6));

    ASSERT_TRUE(pressed(QStringLiteral("导出 GIF")));
    const QString gif = written(QStringLiteral("动图*.gif"));
    ASSERT_FALSE(gif.isEmpty());
    const QImage gifPicture = QImageReader(gif).read();
    EXPECT_EQ(gifPicture.size(), GetParam().shown);
    EXPECT_TRUE(test::sameColours(test::quartersOf(gifPicture), colours, 6));
    // The status line says so once the export is over: a trim asked for before is not made.
    const QString saved = FileMessages::gifSaved(QFileInfo(gif).fileName());
    ASSERT_TRUE(within([&] { return statusSays(saved); }));

    ASSERT_TRUE(pressed(QStringLiteral("另存片段")));
    const QString trimmed = written(QStringLiteral("裁剪录屏*.mp4"));
    ASSERT_FALSE(trimmed.isEmpty());
    // Far enough into the file for pictures that join the sound late; the
    // last line is the stream's own (an MPEG-TS lists its programme first).
    const auto aspects = [](const QString& file) {
        return test::ffprobe(QStringLiteral("-analyzeduration 30000000 -select_streams v:0 -show_entries "
                                            "stream=sample_aspect_ratio,display_aspect_ratio -of csv=p=0")
                                 .split(' '),
                             file)
            .trimmed()
            .split(QLatin1Char('\n'))
            .last()
            .toStdString();
    };
    EXPECT_EQ(aspects(trimmed), aspects(video));
    const QList<QImage> cut = test::decodePictures(trimmed, GetParam().shown, 1);
    ASSERT_EQ(cut.size(), 1);
    EXPECT_TRUE(test::sameColours(test::quartersOf(cut.front()), colours, 6));
}

INSTANTIATE_TEST_SUITE_P(Videos, TaveroVideoShapeOnX11Test, testing::ValuesIn(shownVideos()),
                         [](const testing::TestParamInfo<ShownVideo>& video) { return video.param.name; });

}  // namespace
