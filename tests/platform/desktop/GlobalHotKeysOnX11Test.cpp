// Key grabs on a bare Xvfb, with keys typed through XTEST: another client
// holding a combination, Num Lock and Caps Lock, auto-repeat, and the grabs
// given back when the object goes.
#include "platform/desktop/SyntheticKeyboard.h"
#include "platform/desktop/X11GlobalHotKeys.h"

#include <QTest>

#include <gtest/gtest.h>

#include <vector>

using namespace tavero;

namespace {

constexpr Qt::KeyboardModifiers chord = Qt::ControlModifier | Qt::ShiftModifier;

class GlobalHotKeysOnX11Test : public testing::Test {
protected:
    // Hot keys whose presses are collected in `pressed`.
    std::unique_ptr<X11GlobalHotKeys> makeKeys() {
        auto keys = std::make_unique<X11GlobalHotKeys>();
        keys->setPressed([this](quint32 identifier) { pressed.push_back(identifier); });
        return keys;
    }

    // Waits until `count` presses have arrived (a loaded machine can take a
    // while), then a little more for any that should not.
    void settle(size_t count) {
        // A press that never comes shows in the caller's count.
        [[maybe_unused]] const bool arrived = QTest::qWaitFor([&] { return pressed.size() >= count; }, 5000);
        QTest::qWait(150);
    }

    SyntheticKeyboard keyboard;
    std::vector<quint32> pressed;
};

TEST_F(GlobalHotKeysOnX11Test, AComboHeldByAnotherClientIsRefusedAndTheOthersStillWork) {
    X11GlobalHotKeys other;
    ASSERT_TRUE(other.grab(99, QLatin1Char('2'), chord));
    auto keys = makeKeys();
    EXPECT_FALSE(keys->grab(2, QLatin1Char('2'), chord));
    EXPECT_TRUE(keys->grab(6, QLatin1Char('6'), chord));
    EXPECT_TRUE(keys->grab(10, QLatin1Char('P'), chord));

    keyboard.chord(chord, QLatin1Char('6'));
    keyboard.chord(chord, QLatin1Char('2'));
    keyboard.chord(chord, QLatin1Char('p'));
    keyboard.chord(Qt::ControlModifier, QLatin1Char('6'));
    settle(2);
    EXPECT_EQ(pressed, (std::vector<quint32>{6, 10})) << "Ctrl+6 alone is no hot key; Ctrl+Shift+2 is the other's";
}

TEST_F(GlobalHotKeysOnX11Test, KeysWorkWithNumLockAndCapsLockOn) {
    auto keys = makeKeys();
    ASSERT_TRUE(keys->grab(6, QLatin1Char('6'), chord));
    keyboard.toggle(SyntheticKeyboard::Key::numLock);
    ASSERT_TRUE(keyboard.numLockOn());
    keyboard.chord(chord, QLatin1Char('6'));
    settle(1);
    keyboard.toggle(SyntheticKeyboard::Key::capsLock);
    ASSERT_TRUE(keyboard.capsLockOn());
    keyboard.chord(chord, QLatin1Char('6'));
    settle(2);
    keyboard.toggle(SyntheticKeyboard::Key::numLock);
    EXPECT_FALSE(keyboard.numLockOn());
    keyboard.chord(chord, QLatin1Char('6'));
    settle(3);
    keyboard.toggle(SyntheticKeyboard::Key::capsLock);
    EXPECT_FALSE(keyboard.capsLockOn());
    EXPECT_EQ(pressed, (std::vector<quint32>{6, 6, 6}));
}

TEST_F(GlobalHotKeysOnX11Test, AHeldKeyFiresOnceAndEachNewPressAgain) {
    auto keys = makeKeys();
    ASSERT_TRUE(keys->grab(6, QLatin1Char('6'), chord));
    keyboard.press(SyntheticKeyboard::Key::control);
    keyboard.press(SyntheticKeyboard::Key::shift);
    keyboard.press(QLatin1Char('6'));
    keyboard.sync();
    // Longer than the server's auto-repeat delay, so the key repeats meanwhile.
    QTest::qWait(900);
    keyboard.release(QLatin1Char('6'));
    keyboard.sync();
    // A person's next press comes some milliseconds later; an auto-repeat
    // press shares the time stamp of its release.
    QTest::qWait(30);
    keyboard.press(QLatin1Char('6'));
    keyboard.release(QLatin1Char('6'));
    keyboard.release(SyntheticKeyboard::Key::shift);
    keyboard.release(SyntheticKeyboard::Key::control);
    keyboard.sync();
    settle(2);
    EXPECT_EQ(pressed, (std::vector<quint32>{6, 6}));
}

TEST_F(GlobalHotKeysOnX11Test, DestroyingTheKeysGivesEveryComboBack) {
    auto keys = makeKeys();
    ASSERT_TRUE(keys->grab(2, QLatin1Char('2'), chord));
    ASSERT_TRUE(keys->grab(10, QLatin1Char('p'), chord));
    X11GlobalHotKeys other;
    EXPECT_FALSE(other.grab(2, QLatin1Char('2'), chord));
    keys.reset();
    EXPECT_TRUE(other.grab(2, QLatin1Char('2'), chord));
    EXPECT_TRUE(other.grab(10, QLatin1Char('P'), chord));
}

TEST_F(GlobalHotKeysOnX11Test, AKeyTheKeyboardLacksIsRefused) {
    auto keys = makeKeys();
    EXPECT_FALSE(keys->grab(1, QChar(0x4e00), chord));
}

}  // namespace
