#pragma once

// Pictures of a control with and without the keyboard focus, for the tests
// that every focused control shows a mark.

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QPointer>
#include <QStringList>
#include <QTest>
#include <QWidget>

#include <cstdlib>

namespace tavero::test {

// A focused control shows it with at least this many pixels: the ring on a
// small colour disc has more, a text caret alone about half as many.
inline constexpr int smallestMark = 40;

// The widget's pixels with its children and, where its parent leaves room,
// a few around it, where a mark may lie.
inline QImage pixelsOf(QWidget& widget) {
    constexpr int around = 8;
    QWidget* parent = widget.parentWidget();
    const QRect area = parent ? widget.geometry().adjusted(-around, -around, around, around) & parent->rect() : QRect();
    return (parent ? parent->grab(area) : widget.grab()).toImage().convertToFormat(QImage::Format_ARGB32);
}

// How many pixels differ between two pictures of one widget.
inline int changedPixels(const QImage& before, const QImage& after) {
    if (before.size() != after.size()) return before.width() * before.height();
    int changed = 0;
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x) changed += before.pixel(x, y) != after.pixel(x, y);
    return changed;
}

// Whether `pixel` is `colour`, antialiased edges included.
inline bool nearColour(QRgb pixel, const QColor& colour) {
    constexpr int tolerance = 24;
    return std::abs(qRed(pixel) - colour.red()) <= tolerance && std::abs(qGreen(pixel) - colour.green()) <= tolerance &&
           std::abs(qBlue(pixel) - colour.blue()) <= tolerance;
}

// How many pixels are `colour` in `after` but were not in `before`.
inline int pixelsTurned(const QImage& before, const QImage& after, const QColor& colour) {
    int turned = 0;
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x)
            turned += nearColour(after.pixel(x, y), colour) && !nearColour(before.pixel(x, y), colour);
    return turned;
}

// What a failure message calls a widget: its class and its name or label.
inline QString described(const QWidget& widget) {
    QString name = widget.accessibleName();
    if (auto* button = qobject_cast<const QAbstractButton*>(&widget); button && name.isEmpty()) name = button->text();
    return QString::fromLatin1(widget.metaObject()->className()) + QLatin1Char(' ') + name;
}

// Presses Tab in the active window that holds `widget` until the widget has
// the focus, at least once, so the focus has moved by keyboard; whether it
// got it.
inline bool tabTo(QWidget& widget, int mostPresses = 200) {
    for (int press = 0; press < mostPresses && (press == 0 || !widget.hasFocus()); ++press) {
        QWidget* from = QApplication::focusWidget();
        QTest::keyClick(from ? from : widget.window(), Qt::Key_Tab);
    }
    return widget.hasFocus();
}

// `widget`, which has the focus, pictured with it and then without it.
struct FocusPictures {
    QImage focused;
    QImage unfocused;
};
inline FocusPictures withAndWithoutFocus(QWidget& widget) {
    FocusPictures pictures;
    pictures.focused = pixelsOf(widget);
    widget.clearFocus();
    pictures.unfocused = pixelsOf(widget);
    return pictures;
}

// How many pixels of the focus mark's colour Tab adds to `control`.
inline int markPixelsByTab(QWidget& control) {
    if (!tabTo(control)) return 0;
    const FocusPictures pictures = withAndWithoutFocus(control);
    return pixelsTurned(pictures.unfocused, pictures.focused, control.palette().color(QPalette::Highlight));
}

// Walks with Tab through the active window `window`, from its first stop
// until the focus comes back round, and names every control it reached that
// looks the same with and without the focus. `reached` counts the stops.
inline QStringList unmarkedAlongTab(QWidget& window, int* reached = nullptr, int mostStops = 300) {
    QWidget* first = QApplication::focusWidget();
    QTest::keyClick(first ? first : &window, Qt::Key_Tab);
    QStringList unmarked;
    QList<QPointer<QWidget>> seen;
    QPointer<QWidget> current = QApplication::focusWidget();
    while (current && !seen.contains(current) && seen.size() < mostStops) {
        seen.append(current);
        const FocusPictures pictures = withAndWithoutFocus(*current);
        if (changedPixels(pictures.unfocused, pictures.focused) < smallestMark) unmarked.append(described(*current));
        if (!current) break;
        current->setFocus(Qt::TabFocusReason);
        QTest::keyClick(current, Qt::Key_Tab);
        current = QApplication::focusWidget();
    }
    if (reached) *reached = int(seen.size());
    return unmarked;
}

}  // namespace tavero::test
