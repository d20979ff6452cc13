// A take of the whole display where the desktop is the bare root window with
// a pattern and no desktop picture (a window manager without a desktop
// program): the real program on a fresh account, openbox, a session bus with
// the accessibility bus and a sound server of the test's own. The control bar
// floats over the pattern from before the take's first picture and is dragged
// across it during the take; every picture shows the pattern where the bar
// lay, never a black box.
#include "library/CaptureRecord.h"
#include "platform/desktop/SyntheticKeyboard.h"
#include "recording/RecordingSession.h"
#include "tests/app/RunningTavero.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/RealInput.h"
#include "tests/support/ScreenReader.h"
#include "tests/support/SkipUnlessRequired.h"
#include "tests/support/SoundServer.h"

#include <QDir>
#include <QFile>

using namespace tavero;

namespace {

constexpr Qt::KeyboardModifiers chord = Qt::ControlModifier | Qt::ShiftModifier;
const QString controlBar = QStringLiteral("岚帧录屏控制条");
// The root's pattern: squares of two colours, tiled from the root's corner.
constexpr int square = 64;
const QColor foreground(240, 208, 32);
const QColor background(32, 96, 192);
// The pictures are decoded at half size.
constexpr int shrink = 2;

QColor patternAt(QPoint point) {
    return (point.x() / square + point.y() / square) % 2 == 0 ? foreground : background;
}

// An XBM bitmap of two squares a side, for xsetroot.
QByteArray checkerboard() {
    constexpr int side = 2 * square;
    QByteArray text = "#define board_width 128\n#define board_height 128\nstatic unsigned char board_bits[] = {\n";
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; x += 8) {
            int bits = 0;
            for (int bit = 0; bit < 8; ++bit)
                if (patternAt(QPoint(x + bit, y)) == foreground) bits |= 1 << bit;
            text += "0x" + QByteArray::number(bits, 16) + ",";
        }
    return text + "};\n";
}

// The share of `rect` (root pixels) that shows the pattern in `picture`,
// read away from the squares' edges, which the encoder blurs.
double patternShare(const QImage& picture, const QRect& rect) {
    int matching = 0;
    int read = 0;
    for (int y = rect.top(); y <= rect.bottom(); y += shrink)
        for (int x = rect.left(); x <= rect.right(); x += shrink) {
            const QPoint inSquare(x % square, y % square);
            if (std::min({inSquare.x(), inSquare.y(), square - inSquare.x(), square - inSquare.y()}) < 8) continue;
            const QColor pixel = picture.pixelColor(x / shrink, y / shrink);
            const QColor expected = patternAt(QPoint(x, y));
            ++read;
            if (std::max({std::abs(pixel.red() - expected.red()), std::abs(pixel.green() - expected.green()),
                          std::abs(pixel.blue() - expected.blue())}) < 40)
                ++matching;
        }
    return read ? double(matching) / read : 0;
}

class RecordingOverBareDesktopOnX11Test : public test::RunningTavero {
protected:
    void SetUp() override {
        if (!sound.running()) TAVERO_SKIP_UNLESS_REQUIRED("no PulseAudio server could be started");
        if (reader.unavailable()) TAVERO_SKIP_UNLESS_REQUIRED(reader.unavailable()->toStdString());
        QFile bitmap(QDir(home.path()).filePath(QStringLiteral("board.xbm")));
        ASSERT_TRUE(bitmap.open(QIODevice::WriteOnly) && bitmap.write(checkerboard()) > 0);
        bitmap.close();
        ASSERT_TRUE(test::outputOf(QStringLiteral("xsetroot"),
                                   {QStringLiteral("-bitmap"), bitmap.fileName(), QStringLiteral("-fg"),
                                    foreground.name(), QStringLiteral("-bg"), background.name()}));
        ASSERT_TRUE(test::pointAt(QPoint(10, 10)));
        program.setProcessEnvironment(reader.environment());
        start({});
        ASSERT_TRUE(QTest::qWaitFor([&] { return reader.attach(program.processId()); }, 60'000));
    }

    void press(QChar key) {
        keyboard.chord(chord, key);
        keyboard.sync();
    }
    bool act(const QString& role, const QString& name) {
        return QTest::qWaitFor([&] { return reader.act(role, name, QStringLiteral("Press")); }, 20'000);
    }
    std::optional<QRect> barPlace() {
        const std::optional<WindowInfo> bar = window(controlBar);
        return bar ? std::optional(bar->frame) : std::nullopt;
    }

    QString library() const { return home.desktop() + QStringLiteral("/岚帧"); }
    bool writing() const {
        const QDir folder(library());
        for (const QString& parts : folder.entryList({QStringLiteral("录制片段_*")}, QDir::Dirs))
            if (QFileInfo(folder.filePath(parts + QLatin1Char('/') + RecordingSession::partFileName(1))).size() > 0)
                return true;
        return false;
    }
    std::optional<QString> listedTake() const {
        QFile file(library() + QStringLiteral("/index.json"));
        if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
        for (const CaptureRecord& record : decodeManifest(file.readAll()))
            if (record.file.startsWith(QStringLiteral("录屏_"))) return QDir(library()).filePath(record.file);
        return std::nullopt;
    }

    test::SoundServer sound;
    test::ScreenReader reader;
    SyntheticKeyboard keyboard;
};

TEST_F(RecordingOverBareDesktopOnX11Test, EveryPictureShowsThePatternWhereTheControlBarLayBeforeAndAfterItWasDragged) {
    press(QLatin1Char('8'));
    ASSERT_TRUE(act(QStringLiteral("radio button"), QStringLiteral("全屏")));
    ASSERT_TRUE(act(QStringLiteral("push button"), QStringLiteral("开始录制")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return writing(); }, 60'000)) << "the take began writing after its countdown";
    const std::optional<QRect> first = barPlace();
    ASSERT_TRUE(first) << "the control bar floats over the desktop";
    QTest::qWait(1500);

    // Held by its left edge, beside the status dot, and dragged up and left.
    const QPoint grip(first->left() + 8, first->center().y());
    ASSERT_TRUE(test::drag(grip, grip - QPoint(300, 400)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return barPlace() && barPlace() != first; }, 20'000)) << "the bar moved";
    const QRect second = *barPlace();
    ASSERT_FALSE(second.intersects(*first));
    ASSERT_TRUE(test::pointAt(QPoint(10, 10)));
    QTest::qWait(1500);
    press(QLatin1Char('8'));

    ASSERT_TRUE(QTest::qWaitFor([&] { return listedTake().has_value(); }, 120'000)) << "the take is listed";
    const QList<QImage> pictures = test::decodePictures(*listedTake(), QSize(1920, 1080) / shrink, 300);
    ASSERT_GT(pictures.size(), 2);
    for (qsizetype index = 0; index < pictures.size(); ++index) {
        EXPECT_GT(patternShare(pictures[index], *first), 0.9) << "picture " << index << ", where the bar lay first";
        EXPECT_GT(patternShare(pictures[index], second), 0.9) << "picture " << index << ", where it was dragged";
    }
}

}  // namespace
