#include "document/CardShadow.h"
#include "document/FrameOptions.h"
#include "document/ImageMessages.h"
#include "document/ImageOps.h"
#include "document/Surfaces.h"
#include "platform/ShotError.h"

#include <QLinearGradient>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace tavero::ImageOps {

namespace {

constexpr double shadowDrop = 5;
// The blur of the card's shadow as the design gives it; the Gaussian's sigma is half of it.
constexpr double shadowBlur = 24;
constexpr double shadowAlpha = 0.18;
constexpr double previewLongestSide = 860;
constexpr int shortFormCornerRadius = 16;

// The margin in whole pixels: halves away from zero, never negative.
qint64 marginFor(double padding, double scale) {
    const double margin = std::round(padding * scale);
    if (!(margin > 0)) return 0;
    return margin > maxSide ? maxSide + 1 : qint64(margin);
}

double cornerRadiusFor(double cornerRadius, double scale, QSize picture) {
    const double radius = cornerRadius * scale;
    if (!(radius > 0)) return 0;
    return std::min(radius, std::min(picture.width(), picture.height()) / 2.0);
}

void paintBackground(QPainter& painter, QSizeF canvas, const FrameOptions& options) {
    const QList<Ink> stops = colors(options.preset);
    if (stops.size() < 2) {
        painter.fillRect(QRectF(QPointF(0, 0), canvas), stops.first().color());
        return;
    }
    const double width = canvas.width(), height = canvas.height();
    QLinearGradient gradient;
    switch (options.direction) {
    case GradientDirection::diagonal: gradient = QLinearGradient(0, 0, width, height); break;
    case GradientDirection::horizontal: gradient = QLinearGradient(0, height / 2, width, height / 2); break;
    case GradientDirection::vertical: gradient = QLinearGradient(width / 2, 0, width / 2, height); break;
    }
    for (qsizetype index = 0; index < stops.size(); ++index)
        gradient.setColorAt(double(index) / double(stops.size() - 1), stops[index].color());
    gradient.setSpread(QGradient::PadSpread);
    painter.fillRect(QRectF(QPointF(0, 0), canvas), gradient);
}

}  // namespace

QImage framed(const QImage& image, const FrameOptions& options, double renderingScale) {
    if (image.isNull()) throw ShotError(messages::cannotRender());
    const qint64 margin = marginFor(options.padding, renderingScale);
    QImage canvas = surfaceOf(image.width() + 2 * margin, image.height() + 2 * margin);
    QPainter painter(&canvas);
    if (!painter.isActive()) throw ShotError(messages::cannotRender());
    paintBackground(painter, canvas.size(), options);

    const QRectF card(QPointF(margin, margin), image.size());
    const double radius = cornerRadiusFor(options.cornerRadius, renderingScale, image.size());
    const CardShadow shadow{shadowDrop * renderingScale, shadowBlur / 2 * renderingScale, shadowAlpha};
    drawCardShadow(painter, card, radius, shadow);

    QPainterPath rounded;
    rounded.addRoundedRect(card, radius, radius);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(rounded, Qt::white);
    QBrush picture(image);
    picture.setTransform(QTransform::fromTranslate(double(margin), double(margin)));
    painter.fillPath(rounded, picture);
    return canvas;
}

QSize framedSize(QSize picture, const FrameOptions& options, double renderingScale) {
    const qint64 margin = marginFor(options.padding, renderingScale);
    const qint64 width = picture.width() + 2 * margin, height = picture.height() + 2 * margin;
    if (!withinLimits(width, height)) throw ShotError(messages::tooLarge());
    return {int(width), int(height)};
}

QImage framed(const QImage& image, int padding, bool dark) {
    const FrameOptions options{dark ? FramePreset::night : FramePreset::mint, double(padding),
                               double(shortFormCornerRadius), GradientDirection::diagonal};
    return framed(image, options, 1);
}

QImage framePreview(const QImage& image, const FrameOptions& options) {
    return framePreview(image.size(), image, options);
}

QImage previewSource(const QImage& image) {
    const double longest = std::max(image.width(), image.height());
    if (longest <= previewLongestSide) return image;
    const double scale = previewLongestSide / longest;
    return resized(image, std::max(int(scale * image.width()), 1), std::max(int(scale * image.height()), 1));
}

QImage framePreview(QSize size, const QImage& previewCopy, const FrameOptions& options) {
    // A negative margin frames nothing, so it must not enlarge the preview either.
    const double padding = options.padding > 0 ? options.padding : 0;
    const double longest = std::max(size.width(), size.height());
    const double scale = std::min(previewLongestSide / (2 * padding + longest), 1.0);
    const int width = std::max(int(scale * size.width()), 1);
    const int height = std::max(int(scale * size.height()), 1);
    const QImage picture = previewCopy.size() == QSize(width, height) ? previewCopy : resized(previewCopy, width, height);
    return framed(picture, options, scale);
}

}  // namespace tavero::ImageOps
