#include "editor_ui/ElidedLabel.h"

#include <QPainter>

namespace tavero {

namespace {

// After Chinese, or a Chinese mark such as "。", the next line follows at
// once; after anything else, a space parts them.
QString oneLine(const QString& text) {
    QString line;
    for (const QString& part : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && line.back().unicode() < 0x3000) line += QLatin1Char(' ');
        line += part;
    }
    return line;
}

}  // namespace

ElidedLabel::ElidedLabel(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void ElidedLabel::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    line_ = oneLine(text);
    // What a screen reader reads: the whole text, however little shows.
    setAccessibleName(text);
    updateGeometry();
    update();
}

QSize ElidedLabel::sizeHint() const { return {fontMetrics().horizontalAdvance(line_), fontMetrics().height()}; }

QSize ElidedLabel::minimumSizeHint() const { return {0, fontMetrics().height()}; }

void ElidedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    const QString shown = fontMetrics().elidedText(line_, Qt::ElideRight, width());
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, shown);
}

}  // namespace tavero
