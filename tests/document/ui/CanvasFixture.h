#pragma once

#include "document/ShotDocument.h"
#include "document/ui/CanvasView.h"
#include "tests/document/DocumentFixtures.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTest>

#include <gtest/gtest.h>

namespace tavero::test {

// A 400 × 300 white picture on a 600 × 400 canvas in an active window: shown
// at its actual size with its top-left corner at (100, 50).
struct CanvasTest : testing::Test {
    static constexpr QPointF imageOrigin{100, 50};

    CanvasTest() : canvas(document) {
        document.open(filledImage(400, 300), QStringLiteral("截图"));
        canvas.resize(600, 400);
        canvas.show();
        QApplication::setActiveWindow(&canvas);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&canvas));
    }

    // The widget position that shows an image pixel.
    static QPoint at(QPointF imagePoint) { return (imageOrigin + imagePoint).toPoint(); }

    void press(QPointF imagePoint) { QTest::mousePress(&canvas, Qt::LeftButton, {}, at(imagePoint)); }
    void moveTo(QPointF imagePoint) { QTest::mouseMove(&canvas, at(imagePoint)); }
    void release(QPointF imagePoint) { QTest::mouseRelease(&canvas, Qt::LeftButton, {}, at(imagePoint)); }
    void click(QPointF imagePoint) { QTest::mouseClick(&canvas, Qt::LeftButton, {}, at(imagePoint)); }

    // A press, drag events through every point, and a release at the last.
    void drag(const QList<QPointF>& path) {
        press(path.first());
        for (const QPointF& point : path.mid(1)) moveTo(point);
        release(path.last());
    }

    // A mark of `tool` dragged from `from` to `to` with the canvas.
    void draw(MarkTool tool, QPointF from, QPointF to) {
        document.choose(tool);
        drag({from, (from + to) / 2, to});
    }

    // Typed keys as a keyboard without an input method sends them.
    static void type(QWidget* widget, const QString& text) {
        for (const QChar character : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(character));
            QApplication::sendEvent(widget, &press);
            QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(character));
            QApplication::sendEvent(widget, &release);
        }
    }

    // Waits for the layer the canvas draws off the main thread after a change.
    void settle() {
        EXPECT_TRUE(QTest::qWaitFor([&] { return canvas.showsSettledPicture(); }, 10'000));
    }

    ShotDocument document;
    CanvasView canvas;
};

}  // namespace tavero::test
