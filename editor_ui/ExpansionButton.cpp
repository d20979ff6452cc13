#include "editor_ui/ExpansionButton.h"

#include "editor_ui/EditorLook.h"
#include "editor_ui/style/FocusRing.h"
#include "editor_ui/style/SymbolIcons.h"
#include "editor_ui/style/TaveroStyle.h"

#include <QPainter>
#include <QPainterPath>

namespace tavero {

namespace {

constexpr int sidePadding = 10;
constexpr int chevronSide = 12;
constexpr double titlePoints = 12;
constexpr double cornerRadius = 7;

}  // namespace

ExpansionButton::ExpansionButton(const QString& title, QWidget* parent) : QAbstractButton(parent) {
    FocusRing::drawnByItself(*this);
    setText(title);
    setAccessibleName(title);
    setCursor(Qt::PointingHandCursor);
    setFont(EditorLook::font(this, titlePoints));
    setFixedHeight(buttonHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setExpanded(false);
}

void ExpansionButton::setExpanded(bool expanded) {
    expanded_ = expanded;
    setAccessibleDescription(expanded ? QStringLiteral("已展开") : QStringLiteral("已收起"));
    update();
}

QSize ExpansionButton::sizeHint() const {
    return {2 * sidePadding + fontMetrics().horizontalAdvance(text()) + chevronSide + sidePadding, buttonHeight};
}

void ExpansionButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath background;
    background.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    painter.fillPath(background, palette().color(QPalette::Base));
    const QColor ink = TaveroStyle::ink();
    painter.setPen(ink);
    painter.drawText(rect().adjusted(sidePadding, 0, -sidePadding, 0), Qt::AlignLeft | Qt::AlignVCenter, text());
    QRect chevron(0, 0, chevronSide, chevronSide);
    chevron.moveCenter(QPoint(width() - sidePadding - chevronSide / 2, height() / 2));
    SymbolIcons::icon(expanded_ ? QStringLiteral("chevron.up") : QStringLiteral("chevron.down"), ink)
        .paint(&painter, chevron);
    FocusRing::paint(painter, *this, QRectF(rect()), cornerRadius);
}

}  // namespace tavero
