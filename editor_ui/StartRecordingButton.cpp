#include "editor_ui/StartRecordingButton.h"

#include "editor_ui/EditorLook.h"
#include "editor_ui/style/FocusRing.h"
#include "editor_ui/style/SymbolIcons.h"
#include "editor_ui/style/TaveroStyle.h"

#include <QFontMetricsF>
#include <QIcon>
#include <QPainter>

#include <cmath>

namespace tavero {

namespace {

constexpr double symbolSide = 18;
constexpr double gap = 8;
constexpr double hotKeyOpacity = 0.75;

QFont titleFont(const QWidget* widget) { return EditorLook::font(widget, 16, FontWeight::medium); }
QFont hotKeyFont(const QWidget* widget) { return EditorLook::font(widget, 12); }

}  // namespace

StartRecordingButton::StartRecordingButton(QWidget* parent)
    : StartActionButton(QStringLiteral("开始录屏"), StartActionStyle(true, TaveroStyle::recordingAccent(), 68),
                        parent) {
    setAccessibleName(text());
}

QSize StartRecordingButton::sizeHint() const {
    const double width = 2 * StartActionStyle::horizontalPadding + 2 * symbolSide + 3 * gap +
                         QFontMetricsF(titleFont(this)).horizontalAdvance(text()) +
                         QFontMetricsF(hotKeyFont(this)).horizontalAdvance(hotKeyText);
    return {int(std::ceil(width)), int(actionStyle().height)};
}

void StartRecordingButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const StartActionStyle& style = actionStyle();
    style.paint(painter, QRectF(rect()), QString(), QIcon(), QSizeF(), isEnabled(), isDown(), logicalDpiY());

    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(StartActionStyle::opacity(isEnabled(), isDown()));
    const QColor label = style.foreground();
    const QRectF inner = QRectF(rect()).adjusted(StartActionStyle::horizontalPadding, 0,
                                                 -StartActionStyle::horizontalPadding, 0);
    const double middle = inner.center().y();

    QRectF symbol(inner.left(), middle - symbolSide / 2, symbolSide, symbolSide);
    SymbolIcons::icon(QStringLiteral("record.circle"), label).paint(&painter, symbol.toAlignedRect());
    painter.setPen(label);
    painter.setFont(titleFont(this));
    painter.drawText(inner.adjusted(symbolSide + gap, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text());

    symbol.moveRight(inner.right());
    SymbolIcons::icon(QStringLiteral("arrow.right"), label).paint(&painter, symbol.toAlignedRect());
    painter.setOpacity(painter.opacity() * hotKeyOpacity);
    painter.setFont(hotKeyFont(this));
    painter.drawText(inner.adjusted(0, 0, -(symbolSide + gap), 0), Qt::AlignRight | Qt::AlignVCenter, hotKeyText);
    FocusRing::paint(painter, *this, QRectF(rect()), StartActionStyle::cornerRadius);
}

}  // namespace tavero
