#include "camera/CameraFraming.h"

#include "document/ImageOps.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace tavero {

namespace {

constexpr qint64 minimumSide = 64;
constexpr qint64 maximumSide = 4096;
// The longer side of a framing made from a free selection.
constexpr double selectedLongSide = 1920;
// Smaller selections are taken for a slip of the mouse.
constexpr double smallestSelection = 0.04;
constexpr double smallestCropScale = 0.1;

QSize fixedSize(CameraAspect aspect) {
    switch (aspect) {
    case CameraAspect::portrait34: return {1080, 1440};
    case CameraAspect::portrait916: return {1080, 1920};
    case CameraAspect::landscape169: return {1920, 1080};
    case CameraAspect::landscape43: return {1440, 1080};
    case CameraAspect::square: return {1080, 1080};
    case CameraAspect::custom: break;
    }
    return {};
}

// Any stored size becomes a valid encoder side: inside the range, and even.
int encoderSide(qint64 requested) { return int(std::clamp(requested, minimumSide, maximumSide) & ~qint64(1)); }

bool usableSide(qint64 side) { return side >= minimumSide && side <= maximumSide; }

double finiteOr(double value, double fallback) { return std::isfinite(value) ? value : fallback; }

bool finite(const QRectF& rect) {
    return std::isfinite(rect.x()) && std::isfinite(rect.y()) && std::isfinite(rect.width()) &&
           std::isfinite(rect.height());
}

// Moves a span of `length` starting at `origin` back inside 0…1.
double keptInside(double origin, double length) { return std::max(std::min(origin, 1 - length), 0.0); }

qint64 evenSide(double pixels) { return std::max(qint64(2 * std::round(pixels / 2)), minimumSide); }

}  // namespace

QSize CameraFraming::outputSize() const {
    if (aspect != CameraAspect::custom) return fixedSize(aspect);
    return {encoderSide(customWidth), encoderSide(customHeight)};
}

std::optional<QString> CameraFraming::validationIssue() const {
    if (aspect != CameraAspect::custom || (usableSide(customWidth) && usableSide(customHeight))) return std::nullopt;
    return QStringLiteral("宽和高请填写 64～4096 像素。");
}

QString CameraFraming::sizeLabel() const {
    const QSize size = outputSize();
    return QStringLiteral("%1 × %2").arg(size.width()).arg(size.height());
}

void CameraFraming::choose(CameraAspect chosen) {
    if (chosen == CameraAspect::custom) {
        const QSize leaving = outputSize();
        customWidth = leaving.width();
        customHeight = leaving.height();
    }
    aspect = chosen;
    centerX = 0.5;
    centerY = 0.5;
    cropScale = 1;
}

QRectF CameraFraming::cropRect(const QSizeF& source) const {
    if (!(source.width() > 0 && source.height() > 0)) return {0, 0, 1, 1};
    const QSize output = outputSize();
    const double outputAspect = double(output.width()) / output.height();
    const double sourceAspect = source.width() / source.height();
    const double scale = std::clamp(finiteOr(cropScale, 1), smallestCropScale, 1.0);
    const double width = std::min(outputAspect / sourceAspect, 1.0) * scale;
    const double height = std::min(sourceAspect / outputAspect, 1.0) * scale;
    const double x = keptInside(finiteOr(centerX, 0.5) - width / 2, width);
    const double y = keptInside(finiteOr(centerY, 0.5) - height / 2, height);
    return {x, y, width, height};
}

void CameraFraming::select(const QRectF& rect, const QSizeF& source) {
    if (!finite(rect)) return;
    const QRectF picked = rect.normalized().intersected(QRectF(0, 0, 1, 1));
    if (!(picked.width() >= smallestSelection && picked.height() >= smallestSelection)) return;
    if (!(source.width() > 0 && source.height() > 0)) return;
    const double pixelWidth = picked.width() * source.width();
    const double pixelHeight = picked.height() * source.height();
    const double factor = selectedLongSide / std::max(pixelWidth, pixelHeight);
    CameraFraming trial{CameraAspect::custom,      evenSide(pixelWidth * factor), evenSide(pixelHeight * factor),
                        picked.center().x(), picked.center().y(),           1};
    const QRectF full = trial.cropRect(source);
    trial.cropScale = std::clamp(std::min(picked.width() / full.width(), picked.height() / full.height()),
                                 smallestCropScale, 1.0);
    *this = trial;
}

QImage CameraFraming::oriented(const QImage& frame, bool mirrored) {
    return mirrored ? frame.mirrored(true, false) : frame;
}

QImage CameraFraming::render(const QImage& frame, bool mirrored) const {
    const QSize output = outputSize();
    QImage canvas = ImageOps::context(output.width(), output.height());
    if (!frame.isNull()) renderInto(frame, mirrored, canvas);
    return canvas;
}

void CameraFraming::renderInto(const QImage& frame, bool mirrored, QImage& canvas) const {
    const QSize output = canvas.size();
    const double width = frame.width(), height = frame.height();
    const QRectF unit = cropRect(frame.size());
    QRectF crop(unit.x() * width, unit.y() * height, unit.width() * width, unit.height() * height);
    const double scale = std::max(output.width() / crop.width(), output.height() / crop.height());
    const QSizeF drawn = crop.size() * scale;
    const QRectF target(QPointF((output.width() - drawn.width()) / 2, (output.height() - drawn.height()) / 2), drawn);
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (mirrored) {
        // Rather than mirroring the whole frame: the same span of the
        // unmirrored buffer, drawn through a flip about the canvas's centre
        // line, which maps the centred target onto itself.
        crop.moveLeft(width - crop.right());
        painter.translate(output.width(), 0);
        painter.scale(-1, 1);
    }
    painter.drawImage(target, frame, crop);
}

}  // namespace tavero
