// The program with a window manager, given a FIFO at start: it once kept a
// worker, the model and at last the quit waiting for good. Now the user reads
// why it cannot be opened, the next file handed over opens, and Ctrl+Q ends
// the program.
#include "platform/AppBrand.h"
#include "platform/desktop/SyntheticKeyboard.h"
#include "tests/app/RunningTavero.h"
#include "tests/support/RealInput.h"

#include <QFile>

#include <sys/stat.h>

using namespace tavero;

namespace {

class TaveroEndlessFileOnX11Test : public test::RunningTavero {};

TEST_F(TaveroEndlessFileOnX11Test, AFifoIsRefusedAndTheProgramStillOpensFilesAndQuits) {
    const QString fifo = home.path() + QStringLiteral("/管道.png");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    start({fifo});
    std::optional<WindowInfo> alert;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (alert = window(AppBrand::name)).has_value(); }, 15'000))
        << "the refusal is an alert";
    // A loaded machine maps the alert some time before it has the keyboard.
    ASSERT_TRUE(QTest::qWaitFor([&] { return test::hasKeyboard(alert->id); }, 10'000));
    SyntheticKeyboard keyboard;
    keyboard.press(SyntheticKeyboard::Key::escape);
    keyboard.release(SyntheticKeyboard::Key::escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window(AppBrand::name).has_value(); }, 10'000));

    const QColor red(220, 30, 40);
    handOver(writeFilled(QStringLiteral("红色.png"), red));
    const QImage middle = middleOnceReady([&](const QImage& image) { return image.pixelColor(300, 200) == red; });
    EXPECT_EQ(middle.pixelColor(300, 200), red) << "the model is not left busy";

    keyboard.chord(Qt::ControlModifier, QLatin1Char('q'));
    ASSERT_TRUE(program.waitForFinished(15'000)) << "the program ends";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
}

}  // namespace
