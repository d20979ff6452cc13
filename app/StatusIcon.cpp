#include "app/StatusIcon.h"

#include "editor_ui/style/SymbolIcons.h"
#include "editor_ui/style/TaveroStyle.h"
#include "platform/Fonts.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPixmap>

namespace tavero::StatusIcon {

namespace {

// The symbol's share of the square above a title.
constexpr int symbolSide = 36;
constexpr double largestTitle = 24;
constexpr double smallestTitle = 8;

QColor colourOf(StatusLook::Tint tint) {
    switch (tint) {
    case StatusLook::Tint::red: return QColor(0xff, 0x3b, 0x30);
    case StatusLook::Tint::orange: return QColor(0xff, 0x95, 0x00);
    case StatusLook::Tint::none: break;
    }
    return TaveroStyle::ink();
}

// The largest bold font, within bounds, in which `text` fits `width`.
QFont fittingFont(const QString& text, double width) {
    double size = largestTitle;
    QFont font = Fonts::system(size, FontWeight::bold);
    while (size > smallestTitle && QFontMetricsF(font).horizontalAdvance(text) > width) {
        size -= 1;
        font = Fonts::system(size, FontWeight::bold);
    }
    return font;
}

}  // namespace

QIcon draw(const StatusLook& look) {
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor colour = colourOf(look.tint);
    const QIcon symbol = SymbolIcons::icon(look.symbol, colour);
    const QString title = look.title.trimmed();
    if (title.isEmpty()) {
        symbol.paint(&painter, pixmap.rect());
        return QIcon(pixmap);
    }
    symbol.paint(&painter, QRect((side - symbolSide) / 2, 0, symbolSide, symbolSide));
    const QRect titleArea(0, symbolSide, side, side - symbolSide);
    painter.setFont(fittingFont(title, titleArea.width()));
    painter.setPen(colour);
    painter.drawText(titleArea, Qt::AlignCenter, title);
    return QIcon(pixmap);
}

}  // namespace tavero::StatusIcon
