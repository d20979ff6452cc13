#pragma once

#include <QPainter>
#include <QRectF>

namespace tavero::ImageOps {

// The soft shadow under a frame's white card: black at `alpha`, moved down by
// `drop`, blurred by a Gaussian of `sigma`.
struct CardShadow {
    double drop = 0;
    double sigma = 0;
    double alpha = 0;
};

// Draws the shadow of the rounded rectangle `card` (corner `radius`) into
// `painter`. Only the band around the card's edge is computed: the opaque
// card drawn next hides the rest. Safe on any thread.
void drawCardShadow(QPainter& painter, const QRectF& card, double radius, const CardShadow& shadow);

}  // namespace tavero::ImageOps
