// A new user's first take with the microphone, on a computer whose default
// sound input is a monitor of its output and whose microphone is a second
// input: the real program on a fresh account, a window manager, a session
// bus with the accessibility bus, and a sound server of the test's own.
// Ctrl+Shift+8 opens the set-up, whose sound section names the microphone;
// 开始录制 is pressed as a screen reader presses it; Ctrl+Shift+8 stops the
// take, and the library holds it with the microphone's sound and no parts.
#include "library/CaptureRecord.h"
#include "platform/desktop/SyntheticKeyboard.h"
#include "recording/RecordingSession.h"
#include "tests/app/RunningTavero.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/RealInput.h"
#include "tests/support/ScreenReader.h"
#include "tests/support/SkipUnlessRequired.h"
#include "tests/support/SoundServer.h"
#include "tests/support/Tones.h"

#include <QDir>
#include <QFile>
#include <QSettings>

using namespace tavero;

namespace {

constexpr Qt::KeyboardModifiers chord = Qt::ControlModifier | Qt::ShiftModifier;
const QString microphoneLine = QStringLiteral("麦克风：Sine source at 440 Hz");

class MicrophoneTrialOnX11Test : public test::RunningTavero {
protected:
    void SetUp() override {
        if (!sound.running()) TAVERO_SKIP_UNLESS_REQUIRED("no PulseAudio server could be started");
        if (reader.unavailable()) TAVERO_SKIP_UNLESS_REQUIRED(reader.unavailable()->toStdString());
        ASSERT_TRUE(sound.makeMonitorTheDefaultInput());
        // The user ticked 麦克风 last time.
        QSettings(QDir(home.path()).filePath(QStringLiteral(".config/Tavero/Tavero.conf")), QSettings::IniFormat)
            .setValue(QStringLiteral("recording.microphone"), true);
        program.setProcessEnvironment(reader.environment());
        start({});
        ASSERT_TRUE(QTest::qWaitFor([&] { return reader.attach(program.processId()); }, 60'000));
    }

    void press(QChar key) {
        keyboard.chord(chord, key);
        keyboard.sync();
    }

    QString library() const { return home.desktop() + QStringLiteral("/岚帧"); }
    QStringList partsFolders() const {
        return QDir(library()).entryList({QStringLiteral("录制片段_*")}, QDir::Dirs);
    }
    QList<CaptureRecord> manifest() const {
        QFile file(library() + QStringLiteral("/index.json"));
        return file.open(QIODevice::ReadOnly) ? decodeManifest(file.readAll()) : QList<CaptureRecord>();
    }

    test::SoundServer sound;
    test::ScreenReader reader;
    SyntheticKeyboard keyboard;
};

TEST_F(MicrophoneTrialOnX11Test, TheSetUpNamesTheMicrophoneAndTheTakeIsSavedWithItsSoundAndNoParts) {
    press(QLatin1Char('8'));
    const QString label = QStringLiteral("label");
    EXPECT_TRUE(QTest::qWaitFor([&] { return reader.shows(label, microphoneLine); }, 20'000));
    EXPECT_FALSE(reader.shows(label, QStringLiteral("没有找到麦克风。请接上麦克风，或关闭麦克风后录制。")));

    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return reader.pressEnabled(QStringLiteral("push button"), QStringLiteral("开始录制")); }, 20'000));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const QStringList folders = partsFolders();
            return !folders.isEmpty() &&
                   QFileInfo(QDir(library()).filePath(folders.first() + QLatin1Char('/') +
                                                     RecordingSession::partFileName(1)))
                           .size() > 0;
        },
        20'000))
        << "the take began writing after its countdown";
    QTest::qWait(1500);
    press(QLatin1Char('8'));

    ASSERT_TRUE(QTest::qWaitFor([&] { return !manifest().isEmpty(); }, 120'000)) << "the take is listed";
    const CaptureRecord take = manifest().last();
    EXPECT_TRUE(take.file.startsWith(QStringLiteral("录屏_"))) << take.file.toStdString();
    EXPECT_EQ(partsFolders(), QStringList()) << "the parts are joined and gone";
    const std::vector<float> heard = test::decodeSound(QDir(library()).filePath(take.file));
    EXPECT_GT(test::toneAmplitude(heard, 48000, 440), 0.05) << "the microphone, not the monitor";
}

}  // namespace
