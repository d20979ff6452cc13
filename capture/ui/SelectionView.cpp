#include "capture/ui/SelectionView.h"

#include "document/ImageOps.h"
#include "document/Ink.h"
#include "platform/Fonts.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace tavero {

namespace {

constexpr double minimumSide = 2;

QRectF spanned(const QPointF& a, const QPointF& b) {
    return QRectF(QPointF(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                  QPointF(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
}

}  // namespace

SelectionView::SelectionView(QImage image, bool windowMode, std::optional<QString> prompt, QWidget* parent)
    : QWidget(parent), image_(std::move(image)), windowMode_(windowMode), prompt_(std::move(prompt)) {
    // Every paint covers the whole view with the picture.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::CrossCursor);
    setFocusPolicy(Qt::StrongFocus);
}

std::optional<QRectF> SelectionView::selection() const {
    if (!start_ || !end_) return std::nullopt;
    return spanned(*start_, *end_).intersected(QRectF(rect()));
}

void SelectionView::mousePressEvent(QMouseEvent* event) {
    start_ = end_ = event->position();
    update();
}

void SelectionView::mouseMoveEvent(QMouseEvent* event) {
    end_ = event->position();
    update();
}

void SelectionView::mouseReleaseEvent(QMouseEvent* event) {
    const QPointF point = event->position();
    end_ = point;
    if (windowMode_) return answer(QRectF(point.x(), point.y(), 1, 1));
    if (!start_) return;
    const QRectF area = spanned(*start_, point).intersected(QRectF(rect()));
    if (area.width() >= minimumSide && area.height() >= minimumSide) answer(area);
}

void SelectionView::keyPressEvent(QKeyEvent* event) {
    // Every key stops here; only Escape does something.
    event->accept();
    if (event->key() == Qt::Key_Escape) answer(std::nullopt);
}

void SelectionView::focusInEvent(QFocusEvent*) {}

void SelectionView::focusOutEvent(QFocusEvent*) {}

void SelectionView::answer(std::optional<QRectF> rect) {
    // One answer only, even if events arrive before the window is gone.
    SelectionFinish finish = std::move(finish_);
    finish_ = nullptr;
    if (finish) finish(rect);
}

QString SelectionView::hint() const {
    if (prompt_) return *prompt_;
    return windowMode_ ? QStringLiteral("点击要截取的窗口   ·   Esc 取消")
                       : QStringLiteral("拖动框选截图区域   ·   松开完成   ·   Esc 取消");
}

void SelectionView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds(rect());
    ImageOps::image(image_, bounds, painter);

    const std::optional<QRectF> area = selection();
    const QColor dim = QColor::fromRgbF(0, 0, 0, 0.42f);
    if (!area) {
        // The whole display, on the fast path for rectangles.
        painter.fillRect(bounds, dim);
    } else {
        QPainterPath dimmed;
        dimmed.setFillRule(Qt::OddEvenFill);
        dimmed.addRect(bounds);
        dimmed.addRect(*area);
        painter.fillPath(dimmed, dim);

        painter.setPen(QPen(Ink::teal.color(), 2.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(*area);
        // The size in image pixels, truncated.
        const int width = int(area->width() * image_.width() / bounds.width());
        const int height = int(area->height() * image_.height() / bounds.height());
        drawLabel(painter, QStringLiteral("%1 × %2").arg(width).arg(height),
                  QPointF(area->left(), std::max(area->top() - 36, 60.0)));
    }
    drawLabel(painter, hint(), QPointF(std::max((bounds.width() - 400) * 0.5, 20.0), 24));
}

void SelectionView::drawLabel(QPainter& painter, const QString& text, const QPointF& point) const {
    const QFont font = Fonts::system(14, FontWeight::medium, logicalDpiY());
    const QSizeF size = QFontMetricsF(font).size(Qt::TextSingleLine, text);
    const QRectF badge(point.x() - 12, point.y() - 7, size.width() + 24, size.height() + 14);
    QPainterPath rounded;
    rounded.addRoundedRect(badge, 8, 8);
    painter.fillPath(rounded, QColor::fromRgbF(0.1f, 0.1f, 0.1f, 0.94f));
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(point, size), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

}  // namespace tavero
