// What a screen reader hears of a take while the keyboard stays where the
// user works: the real program on a fresh account, a window manager, a
// session bus with the accessibility bus, and a sound server of the test's
// own. 开始录制 is pressed as a screen reader presses it, Ctrl+Shift+P pauses
// and Ctrl+Shift+8 stops; the countdown's seconds, 正在录制, 录屏已暂停 and
// "已保存：…" are each said once, in that order.
#include "platform/desktop/SyntheticKeyboard.h"
#include "tests/app/ProgramUnderScreenReader.h"
#include "tests/support/EventListener.h"
#include "tests/support/SoundServer.h"

using namespace tavero;

namespace {

constexpr Qt::KeyboardModifiers chord = Qt::ControlModifier | Qt::ShiftModifier;

class AnnouncementsOnX11Test : public test::ProgramUnderScreenReader {
protected:
    void SetUp() override {
        if (!sound.running()) TAVERO_SKIP_UNLESS_REQUIRED("no PulseAudio server could be started");
        ProgramUnderScreenReader::SetUp();
        if (IsSkipped() || HasFailure()) return;
        ASSERT_NO_FATAL_FAILURE(start({}));
        listener = std::make_unique<test::EventListener>(
            reader.listenerEnvironment(), QStringList{QStringLiteral("said"), QString::number(program.processId())});
        ASSERT_TRUE(listener->listening());
    }

    void press(QChar key) {
        keyboard.chord(chord, key);
        keyboard.sync();
    }

    // What the program said of its own accord so far, in order: the names of
    // its notifications as each became shown, which is what Orca speaks of them.
    const QStringList& heard() {
        heard_ += listener->lines();
        return heard_;
    }
    bool heardOnce(const QString& sentence) { return heard().count(sentence) == 1; }
    qsizetype whenHeard(const QString& sentence) { return heard().indexOf(sentence); }
    std::string everything() { return heard().join(QStringLiteral(" | ")).toStdString(); }

    test::SoundServer sound;
    std::unique_ptr<test::EventListener> listener;
    QStringList heard_;
    SyntheticKeyboard keyboard;
};

TEST_F(AnnouncementsOnX11Test, TheCountdownTheTakesPhasesAndItsSavingAreEachSaidOnce) {
    const auto said = [&](const QString& sentence) { return within([&] { return heard().contains(sentence); }); };
    press(QLatin1Char('8'));
    ASSERT_TRUE(within([&] { return reader.pressEnabled(pushButton, QStringLiteral("开始录制")); }));
    const QString recording = QStringLiteral("正在录制");
    ASSERT_TRUE(said(recording)) << everything();
    press(QLatin1Char('P'));
    const QString paused = QStringLiteral("录屏已暂停");
    ASSERT_TRUE(said(paused)) << everything();
    press(QLatin1Char('8'));
    const auto saved = [&] { return heard().filter(QStringLiteral("已保存：")).value(0); };
    ASSERT_TRUE(within([&] { return !saved().isEmpty(); })) << everything();

    const QStringList inOrder{QStringLiteral("3 秒后开始录制"), QStringLiteral("2 秒后开始录制"),
                              QStringLiteral("1 秒后开始录制"), recording, paused, saved()};
    EXPECT_FALSE(heard().contains(QStringLiteral("倒计时 3 秒，准备录制…")))
        << "the status line, hidden with the editor as the countdown begins, does not say it again";
    for (qsizetype index = 0; index < inOrder.size(); ++index) {
        EXPECT_TRUE(heardOnce(inOrder[index])) << inOrder[index].toStdString() << ": " << everything();
        if (index > 0) {
            EXPECT_LT(whenHeard(inOrder[index - 1]), whenHeard(inOrder[index])) << everything();
        }
    }
}

}  // namespace
