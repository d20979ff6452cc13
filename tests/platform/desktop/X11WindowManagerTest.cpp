// Runs on Xvfb with openbox, whose EWMH hints (_NET_CLIENT_LIST_STACKING,
// _NET_FRAME_EXTENTS, _NET_ACTIVE_WINDOW) give the window list.
#include "platform/desktop/WorkspaceWindows.h"
#include "platform/desktop/X11ScreenSource.h"
#include "tests/support/Pictures.h"
#include "tests/support/TestWindows.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTest>

#include <future>

#include <gtest/gtest.h>

using namespace tavero;
using tavero::test::grabUntil;
using tavero::test::PictureWindow;
using tavero::test::samePixels;

namespace {

class X11WindowManagerTest : public testing::Test {
protected:
    X11ScreenSource source;

    std::optional<WindowInfo> listed(WId id) {
        for (const WindowInfo& info : source.windows())
            if (info.id == id) return info;
        return std::nullopt;
    }

    qsizetype positionOf(WId id) {
        const QList<WindowInfo> windows = source.windows();
        for (qsizetype index = 0; index < windows.size(); ++index)
            if (windows[index].id == id) return index;
        return -1;
    }

    // The window manager places and decorates asynchronously.
    bool waitUntilManaged(WId id) {
        return QTest::qWaitFor([&] { return listed(id).has_value(); }, 5000);
    }

    static QString output(const QString& tool, const QStringList& arguments) {
        QProcess process;
        process.start(tool, arguments);
        return process.waitForFinished(5000) ? QString::fromUtf8(process.readAllStandardOutput()) : QString();
    }
    static QString properties(quint64 id, const QStringList& names) {
        return output(QStringLiteral("xprop"), QStringList{QStringLiteral("-id"), QString::number(id)} + names);
    }
    // The window the window manager put `id` in.
    static quint64 frameOf(WId id) {
        const QString tree = output(QStringLiteral("xwininfo"),
                                    {QStringLiteral("-id"), QString::number(id), QStringLiteral("-children")});
        const qsizetype at = tree.indexOf(QStringLiteral("Parent window id: "));
        return at < 0 ? 0 : tree.mid(at + 18).section(QLatin1Char(' '), 0, 0).toULongLong(nullptr, 16);
    }
};

TEST_F(X11WindowManagerTest, ListsManagedWindowsWithFramesProcessesAndStackingOrder) {
    const QImage pattern = fixtures::noise(300, 200, 11);
    PictureWindow back(pattern, QRect(100, 100, 300, 200));
    back.setTitle(QStringLiteral("后面的窗口"));
    ASSERT_TRUE(back.showAndWait());
    ASSERT_TRUE(waitUntilManaged(back.winId()));

    const WindowInfo info = *listed(back.winId());
    const QRect client(back.geometry());
    EXPECT_TRUE(info.frame.contains(client)) << "the frame holds the client";
    EXPECT_GT(info.frame.height(), client.height()) << "openbox adds a title bar";
    EXPECT_EQ(info.processID, QCoreApplication::applicationPid());
    EXPECT_EQ(info.title, QStringLiteral("后面的窗口"));
    EXPECT_EQ(info.applicationName, QCoreApplication::applicationName()) << "Qt names the class after the application";

    PictureWindow front(fixtures::noise(300, 200, 12), QRect(150, 150, 300, 200));
    ASSERT_TRUE(front.showAndWait());
    ASSERT_TRUE(waitUntilManaged(front.winId()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return positionOf(front.winId()) < positionOf(back.winId()); }, 5000));

    back.raise();
    back.requestActivate();
    EXPECT_TRUE(QTest::qWaitFor([&] { return positionOf(back.winId()) < positionOf(front.winId()); }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return source.activeProcess() == QCoreApplication::applicationPid(); }, 5000));
}

TEST_F(X11WindowManagerTest, AWindowGrabHoldsItsFrameAndItsOwnPixelsWhenCovered) {
    const QImage pattern = fixtures::noise(240, 160, 21);
    PictureWindow window(pattern, QRect(300, 300, 240, 160));
    ASSERT_TRUE(window.showAndWait());
    ASSERT_TRUE(waitUntilManaged(window.winId()));
    QImage cover(500, 400, QImage::Format_RGB32);
    cover.fill(Qt::darkBlue);
    PictureWindow front(cover, QRect(200, 200, 500, 400));
    ASSERT_TRUE(front.showAndWait());
    ASSERT_TRUE(waitUntilManaged(front.winId()));

    const WindowInfo info = *listed(window.winId());
    const QRect client = window.geometry().translated(-info.frame.topLeft());
    const std::shared_ptr<void> hold = source.keepWindowPixels();
    QImage grabbed;
    grabUntil(
        [&] {
            grabbed = source.grab(ContentFilter::forWindow(info), false);
            return grabbed.copy(client);
        },
        pattern);
    EXPECT_EQ(grabbed.size(), info.frame.size());
    EXPECT_TRUE(samePixels(grabbed.copy(client), pattern));
}

TEST_F(X11WindowManagerTest, AWaitForAHiddenWindowEndsOnceItsFrameHasLeftTheScreen) {
    // Away from the windows of the other tests, whose frames leave asynchronously.
    const QRect around(1200, 500, 500, 400);
    const QImage empty = source.grabArea(around, false);
    PictureWindow window(fixtures::noise(240, 160, 8), QRect(1300, 600, 240, 160));
    ASSERT_TRUE(window.showAndWait());
    ASSERT_TRUE(waitUntilManaged(window.winId()));
    ASSERT_FALSE(samePixels(source.grabArea(around, false), empty));

    const std::shared_ptr<ScreenSource::UncoverWait> uncovered = source.watchUncovering({quint32(window.winId())});
    window.hide();
    // The wait reads the server on a thread of its own while this one hands
    // Qt's requests to it.
    auto waited = std::async(std::launch::async, [&] { uncovered->wait(std::chrono::minutes(1), std::chrono::minutes(1)); });
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return waited.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 30'000));
    EXPECT_TRUE(samePixels(source.grabArea(around, false), empty)) << "the frame is gone with the window";
}

TEST_F(X11WindowManagerTest, AnotherProgramsWindowCanBeBroughtForward) {
    test::ForeignWindow page(QRect(100, 100, 400, 300), 5);
    ASSERT_TRUE(page.start());
    PictureWindow ours(fixtures::noise(300, 200, 6), QRect(150, 150, 300, 200));
    ASSERT_TRUE(ours.showAndWait());
    ours.requestActivate();
    ASSERT_TRUE(QTest::qWaitFor([&] { return source.activeProcess() == QCoreApplication::applicationPid(); }, 5000));

    source.activate(page.processID());
    EXPECT_TRUE(QTest::qWaitFor([&] { return source.activeProcess() == page.processID(); }, 5000));
    source.activate(999'999'999);
    QTest::qWait(100);
    EXPECT_EQ(source.activeProcess(), page.processID()) << "a process without windows changes nothing";
}

TEST_F(X11WindowManagerTest, AFloatingPanelStaysOnEveryWorkspace) {
    PictureWindow panel(fixtures::noise(200, 80, 7), QRect(400, 400, 200, 80));
    panel.setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    panel.winId();
    showOnEveryWorkspace(panel);
    ASSERT_TRUE(panel.showAndWait());
    ASSERT_TRUE(waitUntilManaged(panel.winId()));

    const QString hints =
        properties(panel.winId(), {QStringLiteral("_NET_WM_STATE"), QStringLiteral("_NET_WM_DESKTOP")});
    EXPECT_TRUE(hints.contains(QStringLiteral("_NET_WM_DESKTOP(CARDINAL) = 4294967295")))
        << "all desktops: " << hints.toStdString();
    EXPECT_TRUE(hints.contains(QStringLiteral("_NET_WM_STATE_ABOVE"))) << "Qt's own hints stay";
}

// Compositing managers read the shadow's mark on the top level: the
// window's own while unmanaged, else the frame it is put in at each map.
// Our windows that float above others ask for none; an ordinary one keeps it.
TEST_F(X11WindowManagerTest, OurFloatingWindowsAndEachFrameTheyArePutInAskForNoShadow) {
    castNoShadowFromFloatingWindows();
    const struct {
        const char* kind;
        Qt::WindowFlags flags;
        bool managed;
        bool shadowed;
    } kinds[] = {
        {"recording panel, scrolling bar and frame", Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint,
         true, false},
        {"pin", Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint, true, false},
        {"selection overlay", Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::BypassWindowManagerHint,
         false, false},
        {"tooltip", Qt::ToolTip, false, false},
        {"menu", Qt::Popup, false, false},
        {"editor", Qt::Window, true, true},
    };
    const QString noShadow = QStringLiteral("_COMPTON_SHADOW(CARDINAL) = 0");
    const auto marked = [&](quint64 id) {
        return properties(id, {QStringLiteral("_COMPTON_SHADOW")}).contains(noShadow);
    };
    for (const auto& kind : kinds) {
        PictureWindow window(fixtures::noise(200, 80, 8), QRect(400, 400, 200, 80), kind.flags);
        for (int shown = 0; shown < (kind.managed ? 2 : 1); ++shown) {
            ASSERT_TRUE(window.showAndWait()) << kind.kind;
            EXPECT_EQ(marked(window.winId()), !kind.shadowed) << kind.kind;
            if (kind.managed && !kind.shadowed) {
                ASSERT_TRUE(waitUntilManaged(window.winId())) << kind.kind;
                EXPECT_TRUE(QTest::qWaitFor([&] { return marked(frameOf(window.winId())); }, 5000))
                    << "the frame of " << kind.kind << " at map " << shown;
            }
            window.hide();
            if (kind.managed) {
                ASSERT_TRUE(QTest::qWaitFor([&] { return !listed(window.winId()); }, 5000));
            }
        }
    }
}

}  // namespace
