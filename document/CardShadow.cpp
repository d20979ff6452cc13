#include "document/CardShadow.h"
#include "document/ImageFilters.h"

#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace tavero::ImageOps {

namespace {

// The pieces of the shadow that can show: everything it reaches except the
// card inset by its corner radius, which the card always hides.
QList<QRect> visibleBands(const QRectF& card, double radius, const CardShadow& shadow, const QRect& canvas) {
    const int reach = filters::blurReach(shadow.sigma);
    const QRectF cast = card.translated(0, shadow.drop).adjusted(-reach, -reach, reach, reach);
    const int outerLeft = int(std::floor(cast.left())), outerRight = int(std::ceil(cast.right()));
    const int outerTop = int(std::floor(cast.top())), outerBottom = int(std::ceil(cast.bottom()));
    const int innerLeft = int(std::ceil(card.left() + radius));
    const int innerRight = std::max(int(std::floor(card.right() - radius)), innerLeft);
    const int innerTop = std::clamp(int(std::ceil(card.top() + radius)), outerTop, outerBottom);
    const int innerBottom = std::clamp(int(std::floor(card.bottom() - radius)), innerTop, outerBottom);

    const QList<QRect> bands{
        QRect(QPoint(outerLeft, outerTop), QPoint(outerRight - 1, innerTop - 1)),
        QRect(QPoint(outerLeft, innerBottom), QPoint(outerRight - 1, outerBottom - 1)),
        QRect(QPoint(outerLeft, innerTop), QPoint(innerLeft - 1, innerBottom - 1)),
        QRect(QPoint(innerRight, innerTop), QPoint(outerRight - 1, innerBottom - 1)),
    };
    QList<QRect> visible;
    for (const QRect& band : bands)
        if (const QRect inside = band & canvas; !inside.isEmpty()) visible.append(inside);
    return visible;
}

// The blurred coverage of the cast shape over `band`, as black with alpha.
QImage shadowOver(const QRect& band, const QPainterPath& cast, double sigma) {
    const int reach = filters::blurReach(sigma);
    const QRect read = band.adjusted(-reach, -reach, reach, reach);
    QImage mask(read.size(), QImage::Format_Alpha8);
    if (mask.isNull()) return {};
    mask.fill(0);
    QPainter painter(&mask);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(-read.topLeft());
    painter.fillPath(cast, Qt::black);
    painter.end();
    return filters::blurred(mask, QRect(QPoint(reach, reach), band.size()), sigma);
}

}  // namespace

void drawCardShadow(QPainter& painter, const QRectF& card, double radius, const CardShadow& shadow) {
    QPainterPath cast;
    cast.addRoundedRect(card.translated(0, shadow.drop), radius, radius);
    const QRect canvas(0, 0, painter.device()->width(), painter.device()->height());
    painter.save();
    painter.setOpacity(shadow.alpha);
    for (const QRect& band : visibleBands(card, radius, shadow, canvas)) {
        const QImage darkness = shadowOver(band, cast, shadow.sigma);
        if (!darkness.isNull()) painter.drawImage(band.topLeft(), darkness);
    }
    painter.restore();
}

}  // namespace tavero::ImageOps
