#pragma once

#include <QImage>
#include <QPainter>
#include <QRectF>

namespace tavero {

// The soft shadow under the picture on the canvas: black at 12 % opacity,
// 4 points down, blurred with a radius of 18 points.
//
// The Gaussian shadow of a rectangle is the product of two edge profiles, so
// its corners and edges are computed once per backing scale as a small tile
// and stretched along the sides; the inside is never drawn, the picture
// covers it. Main thread only, like the canvas that owns it.
class CanvasShadow {
public:
    // Paints the shadow of `rect` (widget coordinates) around it.
    void paint(QPainter& painter, const QRectF& rect, double devicePixelRatio);

private:
    void makeTile(double devicePixelRatio);

    QImage tile_;
    double tileScale_ = 0;
    // How far the shadow reaches beyond the rectangle, in tile pixels.
    int reach_ = 0;
};

}  // namespace tavero
