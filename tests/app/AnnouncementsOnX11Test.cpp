// What a screen reader hears of a take while the keyboard stays where the
// user works: the real program on a fresh account, a window manager, a
// session bus with the accessibility bus, and a sound server of the test's
// own. 开始录制 is pressed as a screen reader presses it, Ctrl+Shift+P pauses
// and Ctrl+Shift+8 stops; the countdown's seconds, 正在录制, 录屏已暂停 and
// "已保存：…" are each said once, in that order.
#include "platform/desktop/SyntheticKeyboard.h"
#include "tests/app/RunningTavero.h"
#include "tests/support/Announcements.h"
#include "tests/support/ScreenReader.h"
#include "tests/support/SkipUnlessRequired.h"
#include "tests/support/SoundServer.h"

using namespace tavero;

namespace {

constexpr Qt::KeyboardModifiers chord = Qt::ControlModifier | Qt::ShiftModifier;
constexpr int takeMs = 60'000;

class AnnouncementsOnX11Test : public test::RunningTavero {
protected:
    void SetUp() override {
        if (!sound.running()) TAVERO_SKIP_UNLESS_REQUIRED("no PulseAudio server could be started");
        if (reader.unavailable()) TAVERO_SKIP_UNLESS_REQUIRED(reader.unavailable()->toStdString());
        program.setProcessEnvironment(reader.environment());
        start({});
        ASSERT_TRUE(QTest::qWaitFor([&] { return reader.attach(program.processId()); }, 60'000));
        announcements = std::make_unique<test::Announcements>(reader.listenerEnvironment(), program.processId());
        ASSERT_TRUE(announcements->listening());
    }

    void press(QChar key) {
        keyboard.chord(chord, key);
        keyboard.sync();
    }

    bool heardOnce(const QString& sentence) { return announcements->heard().count(sentence) == 1; }
    qsizetype whenHeard(const QString& sentence) { return announcements->heard().indexOf(sentence); }
    std::string everything() { return announcements->heard().join(QStringLiteral(" | ")).toStdString(); }

    test::SoundServer sound;
    test::ScreenReader reader;
    std::unique_ptr<test::Announcements> announcements;
    SyntheticKeyboard keyboard;
};

TEST_F(AnnouncementsOnX11Test, TheCountdownTheTakesPhasesAndItsSavingAreEachSaidOnce) {
    press(QLatin1Char('8'));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return reader.pressEnabled(QStringLiteral("push button"), QStringLiteral("开始录制")); }, 20'000));
    const QString recording = QStringLiteral("正在录制");
    ASSERT_TRUE(QTest::qWaitFor([&] { return announcements->heard().contains(recording); }, takeMs)) << everything();
    press(QLatin1Char('P'));
    const QString paused = QStringLiteral("录屏已暂停");
    ASSERT_TRUE(QTest::qWaitFor([&] { return announcements->heard().contains(paused); }, takeMs)) << everything();
    press(QLatin1Char('8'));
    const auto saved = [&] {
        const QStringList heard = announcements->heard();
        return std::find_if(heard.begin(), heard.end(), [](const QString& sentence) {
            return sentence.startsWith(QStringLiteral("已保存："));
        });
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return saved() != announcements->heard().end(); }, takeMs)) << everything();

    const QStringList inOrder{QStringLiteral("3 秒后开始录制"), QStringLiteral("2 秒后开始录制"),
                              QStringLiteral("1 秒后开始录制"), recording, paused, *saved()};
    EXPECT_FALSE(announcements->heard().contains(QStringLiteral("倒计时 3 秒，准备录制…")))
        << "the status line, hidden with the editor as the countdown begins, does not say it again";
    for (qsizetype index = 0; index < inOrder.size(); ++index) {
        EXPECT_TRUE(heardOnce(inOrder[index])) << inOrder[index].toStdString() << ": " << everything();
        if (index > 0) EXPECT_LT(whenHeard(inOrder[index - 1]), whenHeard(inOrder[index])) << everything();
    }
}

}  // namespace
