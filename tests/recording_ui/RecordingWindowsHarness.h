#pragma once

#include "tests/recording/studio/StudioHarness.h"

#include <QTest>

namespace tavero::test {

// A studio over fake parts on one 1920 × 1080 display, driven through a
// take: set up, counted down, recording, pausing and stopping as the tests
// ask. The recording windows under test are made by the tests themselves.
class TakeDriver {
public:
    TakeDriver() {
        DisplayInfo display;
        display.name = QStringLiteral("L");
        display.id = displayIdentifier(display.name);
        display.pixelFrame = QRect(0, 0, 1920, 1080);
        harness.screen->setDisplays({display});
        harness.screen->setDesktop(QImage(1920, 1080, QImage::Format_RGBA8888_Premultiplied));
        harness.screen->setPointer(QPoint(100, 100));
    }

    TestStudio& studio() { return harness.studio(); }

    // The set-up sheet open on the whole display, its targets read.
    bool prepare(RecordingScope scope = RecordingScope::display) {
        studio().prepare();
        if (!QTest::qWaitFor([&] { return !studio().loadingTargets(); }, 5000)) return false;
        studio().setScope(scope);
        return true;
    }
    // In the countdown, 3 seconds left; a camera the take shows answers at once.
    void countdown() {
        studio().start();
        if (harness.webcam->pending) harness.webcam->answer(true);
    }
    // Counted down and writing.
    void record() {
        countdown();
        harness.clock.advance(Seconds(3));
        harness.recorder->started();
    }
    // The take clock shows `seconds`.
    void recorded(double seconds) {
        harness.recorder->seconds = seconds;
        harness.clock.advance(Seconds(0.2));
    }
    void pauseDone() { harness.recorder->pauseDone(); }

    StudioHarness harness;
};

}  // namespace tavero::test
