#pragma once

#include "document/ImageOps.h"
#include "document/Mark.h"
#include "document/ShotDocument.h"
#include "platform/ShotError.h"

#include <QColor>
#include <QImage>
#include <QPointF>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace tavero::test {

// A surface of one colour.
inline QImage filledImage(int width, int height, QColor color = Qt::white) {
    QImage image = ImageOps::context(width, height);
    image.fill(color);
    return image;
}

inline Mark shapeMark(MarkTool tool = MarkTool::rectangle, double width = 8) {
    Mark mark;
    mark.tool = tool;
    mark.points = {{10, 10}, {60, 40}};
    mark.width = width;
    return mark;
}

inline Mark textLabel(const QString& text, double fontSize = 34, Ink ink = Ink::palette[3]) {
    Mark mark;
    mark.tool = MarkTool::text;
    mark.points = {{20, 30}, {20, 30}};
    mark.text = text;
    mark.fontSize = fontSize;
    mark.ink = ink;
    return mark;
}

// Pen strokes in a 50 × 30 corner holding `points` between them, each as
// long as a mark may be.
inline QList<Mark> strokesHolding(qsizetype points) {
    QList<Mark> strokes;
    for (; points > 0; points -= strokes.last().points.size()) {
        Mark stroke;
        stroke.tool = MarkTool::pen;
        for (qsizetype index = 0; index < std::min(points, markLimits::maxPoints); ++index)
            stroke.points.append(QPointF(5 + index % 50, 5 + (index / 50) % 30));
        strokes.append(stroke);
    }
    return strokes;
}

// Pen strokes going back and forth along 250 pixels until their pieces
// are `length` pixels long together, each holding as many points as a mark may.
inline QList<Mark> strokesOfLength(double length) {
    QList<Mark> strokes;
    while (length > 0) {
        Mark stroke;
        stroke.tool = MarkTool::pen;
        stroke.points.append(QPointF(10, 20));
        while (length > 0 && stroke.points.size() < markLimits::maxPoints) {
            const double piece = std::min(length, 250.0);
            const double from = stroke.points.last().x();
            stroke.points.append(QPointF(from < 135 ? from + piece : from - piece, 20));
            length -= piece;
        }
        strokes.append(stroke);
    }
    return strokes;
}

// `count` counters numbered from 1 across a 400 × 300 picture, as the canvas
// makes them.
inline QList<Mark> counters(qsizetype count) {
    QList<Mark> made;
    for (qsizetype index = 0; index < count; ++index) {
        Mark counter;
        counter.tool = MarkTool::counter;
        const QPointF at(20 + index % 360, 20 + index / 360 % 260);
        counter.points = {at, at};
        counter.text = QString::number(index + 1);
        made.append(counter);
    }
    return made;
}

// Labels holding `length` characters between them, each as many as a label may.
inline QList<Mark> labelsHolding(qsizetype length) {
    QList<Mark> labels;
    for (; length > 0; length -= labels.last().text.size()) {
        Mark label = textLabel(QString(std::min(length, markLimits::maxTextLength), QLatin1Char('x')));
        label.points = {QPointF(5, 5 + labels.size() % 200), QPointF(5, 5 + labels.size() % 200)};
        labels.append(label);
    }
    return labels;
}

// The canvas's calls for a new label typed at `point`.
inline void typeNewLabel(ShotDocument& document, QPointF point, const QString& typed) {
    document.newText();
    document.placeText(point);
    document.beginTextInput();
    document.changeText(typed);
    document.endTextInput(false);
}

// One letter, then 2,500 characters of two UTF-16 code units each: one code
// unit past what a label holds.
inline QString smilingText() { return QStringLiteral("a") + QStringLiteral("😀").repeated(2'500); }

// How many steps undo can still take; undoes them all.
inline int undoDepth(ShotDocument& document) {
    int steps = 0;
    for (; document.canUndo(); ++steps) document.undo();
    return steps;
}

// `operation` fails with exactly the sentence a user reads.
inline void expectShotError(const std::function<void()>& operation, const QString& sentence) {
    try {
        operation();
        ADD_FAILURE() << "no error for: " << sentence.toStdString();
    } catch (const ShotError& error) {
        EXPECT_EQ(error.message(), sentence);
    }
}

// A document holding a 60 × 40 white picture.
struct LoadedDocument : testing::Test {
    LoadedDocument() { document.open(filledImage(60, 40), QStringLiteral("截图")); }
    ShotDocument document;
};

}  // namespace tavero::test
