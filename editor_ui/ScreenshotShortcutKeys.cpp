#include "editor_ui/ScreenshotShortcutKeys.h"

#include "editor_ui/EditorLook.h"
#include "editor_ui/style/SymbolIcons.h"
#include "editor_ui/style/TaveroStyle.h"

#include <QFontMetricsF>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>

#include <array>
#include <cmath>

namespace tavero {

namespace {

constexpr double spacing = 5;
constexpr double keyHeight = 43;
constexpr double keyRadius = 7;
constexpr double keyShadowDrop = 3;
constexpr double wordPadding = 14;
constexpr double handSide = 23;
// The hand's bottom right corner lies this far beyond the last key's; the
// row ends where the hand does.
constexpr QPointF handShift(11, 10);
// Room above and below the keys so that the hand is not cut off while the
// keys stay centred.
constexpr double verticalRoom = 10;

struct KeyCap {
    QString text;
    double designedWidth;
};

const std::array<KeyCap, 3> keyCaps{
    {{QStringLiteral("Ctrl"), 49}, {QStringLiteral("Shift"), 44}, {QStringLiteral("2"), 36}}};

QColor withOpacity(const QColor& colour, double opacity) { return EditorLook::faded(colour, opacity); }

// A single character shows large, as a key's symbol; a key's name is set smaller.
QFont keyFont(const QString& text, const QWidget* widget) {
    return text.size() == 1 ? EditorLook::font(widget, 21) : EditorLook::font(widget, 15, FontWeight::medium);
}

// The designed width, or wider for a word.
double widthOf(const KeyCap& key, const QWidget* widget) {
    const double text = QFontMetricsF(keyFont(key.text, widget)).horizontalAdvance(key.text);
    return std::max(key.designedWidth, std::ceil(text + wordPadding));
}

}  // namespace

ScreenshotShortcutKeys::ScreenshotShortcutKeys(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

double ScreenshotShortcutKeys::plusWidth() const {
    return QFontMetricsF(EditorLook::font(this, 11, FontWeight::medium)).horizontalAdvance(QStringLiteral("+"));
}

QSize ScreenshotShortcutKeys::sizeHint() const {
    double width = 2 * plusWidth() + 4 * spacing + handShift.x();
    for (const KeyCap& key : keyCaps) width += widthOf(key, this);
    return {int(std::ceil(width)), int(keyHeight + 2 * verticalRoom)};
}

void ScreenshotShortcutKeys::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double top = (height() - keyHeight) / 2;
    double x = 0;
    QRectF lastKey;
    for (const KeyCap& key : keyCaps) {
        lastKey = QRectF(x, top, widthOf(key, this), keyHeight);
        paintKey(painter, key.text, lastKey);
        x = lastKey.right() + spacing;
        if (&key == &keyCaps.back()) break;
        painter.setFont(EditorLook::font(this, 11, FontWeight::medium));
        painter.setPen(TaveroStyle::green());
        painter.drawText(QRectF(x, top, plusWidth(), keyHeight), Qt::AlignCenter, QStringLiteral("+"));
        x += plusWidth() + spacing;
    }
    paintHand(painter, lastKey);
}

// The face, a hard green shadow below it that reads as the key's lower
// edge, a thin green border and the key's text.
void ScreenshotShortcutKeys::paintKey(QPainter& painter, const QString& text, const QRectF& place) const {
    QPainterPath face;
    face.addRoundedRect(place, keyRadius, keyRadius);
    painter.fillPath(face.translated(0, keyShadowDrop), withOpacity(TaveroStyle::green(), 0.24));
    painter.fillPath(face, TaveroStyle::paper());
    QPainterPath inner;
    inner.addRoundedRect(place.adjusted(0.5, 0.5, -0.5, -0.5), keyRadius - 0.5, keyRadius - 0.5);
    painter.strokePath(inner, QPen(withOpacity(TaveroStyle::green(), 0.35), 1));
    painter.setFont(keyFont(text, this));
    painter.setPen(TaveroStyle::ink());
    painter.drawText(place, Qt::AlignCenter, text);
}

// A white halo keeps the green hand readable over the green-edged key.
void ScreenshotShortcutKeys::paintHand(QPainter& painter, const QRectF& lastKey) const {
    QRectF place(0, 0, handSide, handSide);
    place.moveBottomRight(lastKey.bottomRight() + handShift);
    const QRect aligned = place.toAlignedRect();
    for (const QPoint halo : {QPoint(-1, 0), QPoint(1, 0), QPoint(0, -1), QPoint(0, 1)})
        SymbolIcons::icon(QStringLiteral("hand.point.up.left.fill"), Qt::white).paint(&painter, aligned.translated(halo));
    SymbolIcons::icon(QStringLiteral("hand.point.up.left.fill"), TaveroStyle::green()).paint(&painter, aligned);
}

}  // namespace tavero
