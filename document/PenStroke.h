#pragma once

#include <QColor>
#include <QList>
#include <QPointF>

class QPainter;

namespace tavero::ImageOps {

// Draws the line through `points`, `width` wide with round ends and joins, in
// `ink`, as one stroke: a translucent ink is no darker where the line
// crosses itself. Nothing is drawn when all the points coincide, and a width
// of 0 is a hairline. Each piece of the line is drawn on its own, cut to
// what the painter reaches, so the time grows with the length shown rather
// than with how often the line crosses itself; points that stray from a
// straight run by less than a twentieth of a device pixel join its piece.
void penStroke(const QList<QPointF>& points, double width, const QColor& ink, QPainter& painter);

}  // namespace tavero::ImageOps
