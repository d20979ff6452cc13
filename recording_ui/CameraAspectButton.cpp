#include "recording_ui/CameraAspectButton.h"

#include "editor_ui/EditorLook.h"
#include "editor_ui/style/FocusRing.h"
#include "editor_ui/style/SymbolIcons.h"
#include "editor_ui/style/TaveroStyle.h"

#include <QPainter>
#include <QPainterPath>

namespace tavero {

namespace {

constexpr double fontSize = 12;
constexpr double cornerRadius = 8;
constexpr int verticalPadding = 9;
constexpr int symbolSide = 13;
constexpr int symbolSpacing = 6;
constexpr int narrowest = 10;

}  // namespace

CameraAspectButton::CameraAspectButton(CameraAspect aspect, QWidget* parent)
    : ChoiceButton(parent), aspect_(aspect) {
    FocusRing::drawnByItself(*this);
    setText(rawValue(aspect));
    setFont(EditorLook::font(this, fontSize, FontWeight::medium));
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void CameraAspectButton::setCurrent(bool current) {
    current_ = current;
    setChecked(current);
    update();
}

QSize CameraAspectButton::sizeHint() const {
    const QFontMetrics metrics(font());
    return {symbolSide + symbolSpacing + metrics.horizontalAdvance(text()) + 2 * verticalPadding,
            metrics.height() + 2 * verticalPadding};
}

QSize CameraAspectButton::minimumSizeHint() const { return {narrowest, sizeHint().height()}; }

void CameraAspectButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath tile;
    tile.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    painter.fillPath(tile, current_ ? TaveroStyle::green() : QColor(Qt::white));

    const QColor ink = current_ ? QColor(Qt::white) : TaveroStyle::ink();
    const QFontMetrics metrics(font());
    const int contentWidth = symbolSide + symbolSpacing + metrics.horizontalAdvance(text());
    const int left = (width() - contentWidth) / 2;
    const QIcon symbol = SymbolIcons::icon(current_ ? QStringLiteral("checkmark.circle.fill") : QStringLiteral("circle"), ink);
    symbol.paint(&painter, QRect(left, (height() - symbolSide) / 2, symbolSide, symbolSide));
    painter.setPen(ink);
    painter.setFont(font());
    painter.drawText(QRect(left + symbolSide + symbolSpacing, 0, width(), height()), Qt::AlignLeft | Qt::AlignVCenter,
                     text());
    FocusRing::paint(painter, *this, QRectF(rect()), cornerRadius);
}

}  // namespace tavero
