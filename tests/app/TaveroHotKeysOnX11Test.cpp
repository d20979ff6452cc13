// The program as a new user meets it: started on an account of its own, on
// a display with one or two monitors, at scale 1 or 2, with or without a
// window manager, the pointer on the last monitor. The editor opens inside
// that monitor and cannot be made larger than it; the first Ctrl+Shift+6
// saves that monitor's picture in the library, and Ctrl+Shift+2 with a
// 400 × 300 drag saves exactly that area.
#include "library/CaptureRecord.h"
#include "platform/desktop/SyntheticKeyboard.h"
#include "tests/app/RunningTavero.h"
#include "tests/support/RealInput.h"
#include "tests/support/TestWindows.h"

#include <QFile>
#include <QRegularExpression>

#include <algorithm>

using namespace tavero;

namespace {

constexpr Qt::KeyboardModifiers chord = Qt::ControlModifier | Qt::ShiftModifier;

// A rectangle as the X tools write it: 1920x1080+0+0.
QString describe(const QRect& rect) {
    return QStringLiteral("%1x%2+%3+%4").arg(rect.width()).arg(rect.height()).arg(rect.x()).arg(rect.y());
}


class TaveroHotKeysOnX11Test : public test::RunningTavero {
protected:
    void SetUp() override {
        QList<DisplayInfo> displays = screen.displays();
        ASSERT_FALSE(displays.isEmpty());
        std::sort(displays.begin(), displays.end(),
                  [](const DisplayInfo& a, const DisplayInfo& b) { return a.pixelFrame.x() < b.pixelFrame.x(); });
        display = displays.last().pixelFrame;
        page.emplace(pagePlace(), 29);
        ASSERT_TRUE(page->start());
        ASSERT_TRUE(test::samePixels(
            test::grabUntil([&] { return screen.grabArea(pagePlace(), false); }, page->picture()), page->picture()));
        ASSERT_TRUE(test::pointAt(display.center()));
        ASSERT_TRUE(display.contains(screen.pointer())) << "the display lets the pointer reach this monitor";
        start({});
    }

    QRect pagePlace() const { return {display.topLeft() + QPoint(200, 160), QSize(800, 600)}; }

    // The smallest size the program allows its window, from its size hints.
    static QSize minimumSizeOf(quint32 window) {
        const QRegularExpressionMatch found =
            QRegularExpression(QStringLiteral("minimum size: (\\d+) by (\\d+)"))
                .match(test::outputOf(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window),
                                                                QStringLiteral("WM_NORMAL_HINTS")})
                           .value_or(QString()));
        return found.hasMatch() ? QSize(found.captured(1).toInt(), found.captured(2).toInt()) : QSize();
    }

    // The selection overlay passes by any window manager, so it is looked for
    // among all the windows on the screen, by its prompt and its place; it
    // takes the pointer once the server has mapped it.
    bool overlayShows() const {
        const QString xwininfo = QStringLiteral("xwininfo");
        const QString listing = test::outputOf(xwininfo, {QStringLiteral("-root"), QStringLiteral("-children")}).value_or(QString());
        for (const QString& line : listing.split(QLatin1Char('\n')))
            if (line.contains(QStringLiteral("拖出截图区域 · 松开完成 · Esc 取消")) && line.contains(describe(display)))
                return test::outputOf(xwininfo, {QStringLiteral("-id"), line.trimmed().section(QLatin1Char(' '), 0, 0)})
                    .value_or(QString())
                    .contains(QStringLiteral("IsViewable"));
        return false;
    }

    QString library() const { return home.desktop() + QStringLiteral("/岚帧"); }
    QList<CaptureRecord> manifest() const {
        QFile file(library() + QStringLiteral("/index.json"));
        return file.open(QIODevice::ReadOnly) ? decodeManifest(file.readAll()) : QList<CaptureRecord>();
    }
    // The newest picture once the library lists `count`.
    QImage newestOnceListed(int count) {
        if (!QTest::qWaitFor([&] { return manifest().size() == count; }, 15'000)) return {};
        const CaptureRecord newest = manifest().front();
        const QImage picture(library() + QLatin1Char('/') + newest.file);
        EXPECT_EQ(QSize(newest.width, newest.height), picture.size()) << "the manifest gives its size";
        return picture;
    }

    SyntheticKeyboard keyboard;
    QRect display;
    std::optional<test::ForeignWindow> page;
};

TEST_F(TaveroHotKeysOnX11Test, TheEditorFitsTheMonitorAndTheFirstHotKeysTakeTheScreenshots) {
    std::optional<WindowInfo> editor;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (editor = editorWindow()).has_value(); }, 15'000));
    // A window manager frames the window after it shows, and the window then fits its frame in.
    EXPECT_TRUE(QTest::qWaitFor([&] { return (editor = editorWindow()) && display.contains(editor->frame); }, 5000))
        << "the editor, title bar and all, lies on the monitor under the pointer, not at " << describe(editor->frame).toStdString();
    const QSize smallest = minimumSizeOf(editor->id);
    EXPECT_TRUE(smallest.isValid() && display.width() >= smallest.width() && display.height() >= smallest.height());

    keyboard.chord(chord, QLatin1Char('6'));
    const QImage full = newestOnceListed(1);
    ASSERT_FALSE(full.isNull()) << "the first press saved a picture in the library";
    EXPECT_EQ(full.size(), display.size());
    EXPECT_FALSE(full.hasAlphaChannel()) << "a screen has no transparency to store";
    EXPECT_TRUE(test::samePixels(full.copy(pagePlace().translated(-display.topLeft())), page->picture()));

    keyboard.chord(chord, QLatin1Char('2'));
    ASSERT_TRUE(QTest::qWaitFor([&] { return overlayShows(); }, 10'000)) << "the overlay covers the monitor under the pointer";
    const QRect area(pagePlace().topLeft() + QPoint(120, 90), QSize(400, 300));
    ASSERT_TRUE(test::drag(area.topLeft(), area.topLeft() + QPoint(area.width(), area.height())));
    const QImage dragged = newestOnceListed(2);
    ASSERT_FALSE(dragged.isNull()) << "the library lists the area";
    EXPECT_EQ(dragged.size(), area.size());
    EXPECT_TRUE(test::samePixels(dragged, page->picture().copy(area.translated(-pagePlace().topLeft()))));
}

}  // namespace
