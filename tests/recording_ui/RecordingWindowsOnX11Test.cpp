// The recording windows on a real X server with openbox: where they lie,
// the window manager's states, clicks through the border, the keyboard that
// stays with the recorded program, the teleprompter's scrolling in real
// time, and pictures of the panels in every phase (TAVERO_SAMPLES).
#include "editor_ui/SteppedSlider.h"
#include "platform/desktop/OwnWindows.h"
#include "recording_ui/FloatingPanel.h"
#include "recording_ui/OverlayPlacement.h"
#include "recording_ui/PrompterScrollView.h"
#include "recording_ui/RecordingActionButton.h"
#include "recording_ui/RecordingBorderView.h"
#include "recording_ui/RecordingControlBar.h"
#include "recording_ui/RecordingOverlayWindows.h"
#include "recording_ui/TeleprompterView.h"
#include "tests/editor_ui/Samples.h"
#include "tests/recording_ui/RecordingWindowsHarness.h"
#include "tests/recording_ui/X11WindowFacts.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>

#include <gtest/gtest.h>

#include <cmath>

using namespace tavero;
using Kind = RecordingPhase::Kind;

namespace {

// An ordinary window of another program under the recorded area: it counts
// the presses it receives.
class Page : public QWidget {
public:
    explicit Page(const QRect& place) {
        setWindowTitle(QStringLiteral("被录制的页面"));
        setGeometry(place);
        QPalette colours = palette();
        colours.setColor(QPalette::Window, Qt::white);
        setPalette(colours);
        setAutoFillBackground(true);
    }
    QList<QPoint> presses;

protected:
    void mousePressEvent(QMouseEvent* event) override { presses.append(event->position().toPoint()); }
};

QString notes(int count = 60) {
    QStringList lines;
    for (int line = 1; line <= count; ++line) lines.append(QStringLiteral("第 %1 行：先讲结论，再讲过程。").arg(line));
    return lines.join(QLatin1Char('\n'));
}

bool wmSupports(const QString& atom) {
    const std::optional<QString> supported =
        test::outputOf(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTED")});
    return supported && supported->contains(QRegularExpression(QStringLiteral("\\b%1\\b").arg(atom)));
}

class RecordingWindowsOnX11Test : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(take.prepare()); }
    void TearDown() override { windows.close(); }

    test::TestStudio& studio() { return take.studio(); }
    QRect visible() const { return QGuiApplication::primaryScreen()->availableGeometry(); }
    bool showPage() {
        page.show();
        page.activateWindow();
        return QTest::qWaitForWindowExposed(&page) &&
               QTest::qWaitFor([&] { return test::hasKeyboard(quint32(page.winId())); }, 5000);
    }

    test::TakeDriver take;
    RecordingOverlayWindows windows{take.studio()};
    const QRect area{300, 200, 800, 500};
    Page page{area};
};

TEST_F(RecordingWindowsOnX11Test, ThePanelsLieWhereTheyBelongAndStayOnEveryWorkspaceAboveOthers) {
    windows.show(QRectF(area));
    windows.showNotes();
    const QRect control = OverlayPlacement::controlPanel(QRectF(visible())).toRect();
    EXPECT_EQ(test::settledGeometry(*windows.control(), control), control)
        << "at the bottom centre, 24 points above the edge";
    EXPECT_EQ(test::settledGeometry(*windows.border(), area.adjusted(-2, -2, 2, 2)), area.adjusted(-2, -2, 2, 2));
    const QRect prompter = OverlayPlacement::prompterPanel(QRectF(visible())).toRect();
    EXPECT_EQ(test::settledGeometry(*windows.prompter(), prompter), prompter);

    // openbox knows no sticky state: a window on every desktop is its way.
    const bool stickyState = wmSupports(QStringLiteral("_NET_WM_STATE_STICKY"));
    for (QWidget* window : {windows.control(), windows.prompter()}) {
        const QString facts = test::properties(window->winId(), {QStringLiteral("_NET_WM_STATE"), QStringLiteral("_NET_WM_DESKTOP")});
        EXPECT_TRUE(facts.contains(QStringLiteral("_NET_WM_STATE_ABOVE"))) << facts.toStdString();
        EXPECT_EQ(facts.contains(QStringLiteral("_NET_WM_STATE_STICKY")), stickyState) << facts.toStdString();
        EXPECT_TRUE(facts.contains(QStringLiteral("_NET_WM_DESKTOP(CARDINAL) = 4294967295"))) << facts.toStdString();
    }
    EXPECT_TRUE(test::outputOf(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(windows.border()->winId())})
                    .value_or(QString())
                    .contains(QStringLiteral("Override Redirect State: yes")))
        << "the border is no window the manager frames, whose frame would catch the clicks";
    for (QWidget* window : std::initializer_list<QWidget*>{windows.control(), windows.border(), windows.prompter()})
        EXPECT_TRUE(OwnWindows::list().contains(quint32(window->winId()))) << "kept out of the recording";

    // On the next workspace the page is gone and every panel is still there.
    ASSERT_TRUE(showPage());
    ASSERT_TRUE(test::xdotool({QStringLiteral("set_desktop"), QStringLiteral("1")}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !test::rootGeometry(page.winId()); }, 5000));
    for (QWidget* window : std::initializer_list<QWidget*>{windows.control(), windows.border(), windows.prompter()})
        EXPECT_TRUE(test::rootGeometry(window->winId())) << window->windowTitle().toStdString();
    ASSERT_TRUE(test::xdotool({QStringLiteral("set_desktop"), QStringLiteral("0")}));

    const QList<quint32> shown = {quint32(windows.control()->winId()), quint32(windows.border()->winId()),
                                  quint32(windows.prompter()->winId())};
    windows.close();
    for (quint32 window : shown) EXPECT_FALSE(OwnWindows::list().contains(window));
}

TEST_F(RecordingWindowsOnX11Test, AClickOnTheBorderReachesTheWindowBelow) {
    ASSERT_TRUE(showPage());
    windows.show(QRectF(area));
    ASSERT_TRUE(test::settledGeometry(*windows.border(), area.adjusted(-2, -2, 2, 2)));
    QTest::qWait(200);

    const QPoint onTheLine(area.center().x(), area.top());
    ASSERT_TRUE(test::xdotool({QStringLiteral("mousemove"), QString::number(onTheLine.x()), QString::number(onTheLine.y()),
                               QStringLiteral("click"), QStringLiteral("1")}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !page.presses.isEmpty(); }, 5000)) << "the line lets the click through";
    EXPECT_EQ(page.presses.last(), onTheLine - area.topLeft());
    const QPoint inside = area.center();
    ASSERT_TRUE(test::xdotool({QStringLiteral("mousemove"), QString::number(inside.x()), QString::number(inside.y()),
                               QStringLiteral("click"), QStringLiteral("1")}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return page.presses.size() == 2; }, 5000));
    EXPECT_TRUE(test::hasKeyboard(quint32(page.winId())));
}

TEST_F(RecordingWindowsOnX11Test, TheRecordedProgramKeepsTheKeyboard) {
    ASSERT_TRUE(showPage());
    take.record();
    studio().setNotes(notes());
    windows.show(QRectF(area));
    windows.showNotes();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(windows.prompter()));
    QTest::qWait(300);
    EXPECT_TRUE(test::hasKeyboard(quint32(page.winId()))) << "showing the panels takes nothing";

    // A press on the teleprompter's rewind button, as the speaker would.
    auto* view = windows.prompter()->findChild<TeleprompterView*>();
    ASSERT_TRUE(view);
    const int before = studio().notesReset();
    const QPoint button = view->rewindButton()->mapToGlobal(view->rewindButton()->rect().center());
    ASSERT_TRUE(test::xdotool({QStringLiteral("mousemove"), QString::number(button.x()), QString::number(button.y()),
                               QStringLiteral("click"), QStringLiteral("1")}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return studio().notesReset() == before + 1; }, 5000));
    QTest::qWait(200);
    EXPECT_TRUE(test::hasKeyboard(quint32(page.winId()))) << "pressing a panel's button takes nothing either";
}

TEST_F(RecordingWindowsOnX11Test, ThePreviewBeforeATakeMayTakeTheKeyboard) {
    ASSERT_TRUE(showPage());
    studio().previewNotes();
    windows.showNotes();
    EXPECT_TRUE(QTest::qWaitFor([&] { return test::hasKeyboard(quint32(windows.prompter()->winId())); }, 5000));
    windows.hideNotes();
    page.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return test::hasKeyboard(quint32(page.winId())); }, 5000));

    take.record();
    windows.showNotes();
    QTest::qWait(300);
    EXPECT_TRUE(test::hasKeyboard(quint32(page.winId()))) << "during the take the same panel takes nothing";
}

TEST_F(RecordingWindowsOnX11Test, TheTeleprompterScrollsAtItsSpeedOnlyWhileShown) {
    studio().setNotes(notes(14));
    studio().previewNotes();
    windows.showNotes();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(windows.prompter()));
    PrompterScrollView& text = windows.prompter()->findChild<TeleprompterView*>()->text();
    studio().setNotesScrolling(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return text.offset() >= 5; }, 5000)) << "28 points a second move the text";
    const double step = 28.0 / PrompterScrollView::ticksPerSecond;
    EXPECT_NEAR(text.offset() / step, std::round(text.offset() / step), 1e-6) << "whole ticks of 28/30 points";

    windows.hideNotes();
    const double hiddenAt = text.offset();
    QTest::qWait(300);
    EXPECT_EQ(text.offset(), hiddenAt) << "a hidden panel does not scroll";
    EXPECT_TRUE(studio().notesScrolling());
    windows.showNotes();
    EXPECT_TRUE(QTest::qWaitFor([&] { return text.offset() > hiddenAt; }, 5000)) << "and goes on once shown";

    studio().setNotesSpeed(80);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !studio().notesScrolling(); }, 10'000)) << "the end stops it";
    EXPECT_DOUBLE_EQ(text.offset(), text.end());
}

TEST_F(RecordingWindowsOnX11Test, PicturesOfThePanelsInEveryPhase) {
    if (!test::samplesWanted()) GTEST_SKIP() << "TAVERO_SAMPLES names no folder";
    ASSERT_TRUE(showPage());
    studio().setNotes(notes());
    studio().setMicrophone(true);
    take.record();
    take.recorded(754);
    windows.show(QRectF(area));
    windows.showNotes();
    const std::vector<std::pair<RecordingPhase, const char*>> phases{
        {RecordingPhase::countdown(3), "countdown"}, {Kind::starting, "starting"}, {Kind::recording, "recording"},
        {Kind::pausing, "pausing"},  {Kind::paused, "paused"},      {Kind::resuming, "resuming"},
        {Kind::stopping, "stopping"}, {Kind::restarting, "restarting"}, {Kind::idle, "idle"}};
    for (const auto& [phase, name] : phases) {
        studio().setPhase(phase);
        windows.updateRecordingState();
        EXPECT_TRUE(test::writeSample(*windows.control(), QStringLiteral("recording-bar-") + QString::fromLatin1(name)));
        EXPECT_TRUE(test::writeSample(*windows.prompter(), QStringLiteral("teleprompter-") + QString::fromLatin1(name)));
    }
    studio().setPhase(Kind::paused);
    windows.updateRecordingState();
    test::writeSample(*windows.border(), QStringLiteral("recording-border-paused"));
    // The whole screen as a person sees it, without a compositing manager.
    QTest::qWait(300);
    const QString screen = qEnvironmentVariable("TAVERO_SAMPLES") + QStringLiteral("/recording-windows-screen.png");
    EXPECT_TRUE(test::outputOf(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), screen}));
}

}  // namespace
