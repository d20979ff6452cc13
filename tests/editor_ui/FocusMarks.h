#pragma once

// Pictures of a control with and without the keyboard focus, for the tests
// that every focused control shows a mark.

#include "editor_ui/style/FocusRing.h"
#include "tests/editor_ui/MarkContrast.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QPointer>
#include <QScrollBar>
#include <QStringList>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace tavero::test {

// A focused control shows it with at least this many pixels: the ring on a
// small colour disc has more, a text caret alone about half as many.
inline constexpr int smallestMark = 40;

// The area of `widget`'s window where its mark may lie: the widget and a few
// pixels around it, within the window.
inline QRect markArea(const QWidget& widget) {
    constexpr int around = 8;
    const QRect placed(widget.mapTo(widget.window(), QPoint(0, 0)), widget.size());
    return placed.adjusted(-around, -around, around, around) & widget.window()->rect();
}

// That area as its window shows it, with whatever lies over the widget;
// nothing when the widget lies outside its window.
inline QImage pixelsOf(QWidget& widget) {
    const QRect area = markArea(widget);
    if (area.isEmpty()) return {};
    return widget.window()->grab(area).toImage().convertToFormat(QImage::Format_ARGB32);
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

// What a screen reader calls a widget.
inline QString spokenName(QWidget& widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&widget);
    return face ? face->text(QAccessible::Name) : QString();
}

// What a failure message calls a widget: its class and the name a screen
// reader reads, else its label.
inline QString described(QWidget& widget) {
    QString name = spokenName(widget);
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
    return pixelsTurned(pictures.unfocused, pictures.focused, FocusRing::colour());
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

// One stop of a Tab walk: the control, what a failure calls it, and how its
// mark reads.
struct TabStop {
    QPointer<QWidget> widget;
    QString name;
    // What a screen reader calls it.
    QString spoken;
    // Where it stood in its parent then, in the content of a scroll area's
    // viewport, whose rows may since show other entries elsewhere.
    QRect inParent;
    MarkReading mark;
};

// Where `widget` stands in its parent, counted from the start of the
// content when the parent is a scroll area's viewport.
inline QRect inContent(const QWidget& widget) {
    const QWidget* parent = widget.parentWidget();
    const auto* area = parent ? qobject_cast<const QAbstractScrollArea*>(parent->parentWidget()) : nullptr;
    if (!area || area->viewport() != parent) return widget.geometry();
    return widget.geometry().translated(area->horizontalScrollBar()->value(), area->verticalScrollBar()->value());
}

// Walks with Tab through the active window `window`, from its first stop
// until the focus comes back round, reading each stop's mark. A row a list
// reuses for another entry is another stop.
inline QList<TabStop> walkTab(QWidget& window, int mostStops = 300) {
    // Layouts settle first, as they do before anything is shown.
    QCoreApplication::sendPostedEvents();
    QWidget* first = QApplication::focusWidget();
    QTest::keyClick(first ? first : &window, Qt::Key_Tab);
    QList<TabStop> stops;
    QPointer<QWidget> current = QApplication::focusWidget();
    const auto seen = [&stops](QWidget* widget) {
        return std::any_of(stops.begin(), stops.end(), [widget](const TabStop& stop) {
            return stop.widget == widget && stop.spoken == spokenName(*widget);
        });
    };
    while (current && !seen(current) && stops.size() < mostStops) {
        const QRect area = markArea(*current);
        const QRect control(current->mapTo(current->window(), QPoint(0, 0)) - area.topLeft(), current->size());
        const FocusPictures pictures = withAndWithoutFocus(*current);
        stops.append({current, described(*current), spokenName(*current), inContent(*current),
                      readMark(pictures.focused, pictures.unfocused, control)});
        if (!current) break;
        current->setFocus(Qt::TabFocusReason);
        QTest::keyClick(current, Qt::Key_Tab);
        current = QApplication::focusWidget();
    }
    return stops;
}

namespace order_detail {

// The child of `ancestor` that holds `widget`, or `widget` itself.
inline const QWidget* childHolding(const QWidget* ancestor, const QWidget* widget) {
    while (widget->parentWidget() != ancestor) widget = widget->parentWidget();
    return widget;
}

// Whether `one` reads before `other`, two children of one widget: above it,
// or, in the same row, wholly left of it.
inline bool readsBefore(const QRect& one, const QRect& other) {
    const int overlap = std::min(one.bottom(), other.bottom()) - std::max(one.top(), other.top());
    if (overlap > std::min(one.height(), other.height()) / 2) return one.right() < other.left();
    return one.top() < other.top();
}

// Where the child of `common` that holds the stop stood: the stop itself
// where it stood as it had the focus.
inline QRect placedIn(const QWidget* common, const TabStop& stop) {
    const QWidget* child = childHolding(common, stop.widget);
    return child == stop.widget ? stop.inParent : child->geometry();
}

// Whether a Tab step from `from` to `to` goes back against reading order:
// to the widget that holds `from` (a list before its rows), or to a place
// that reads earlier, top to bottom, then left to right, among the children
// of the smallest widget holding both (so a column is read before the one
// beside it).
inline bool goesBack(const TabStop& from, const TabStop& to) {
    if (to.widget->isAncestorOf(from.widget)) return true;
    if (from.widget->isAncestorOf(to.widget)) return false;
    const QWidget* common = from.widget->parentWidget();
    while (!common->isAncestorOf(to.widget)) common = common->parentWidget();
    return readsBefore(placedIn(common, to), placedIn(common, from));
}

}  // namespace order_detail

// The steps of a Tab walk that go back against reading order. The walk
// comes round once, from the last stop back to the first.
inline QStringList stepsAgainstReadingOrder(const QList<TabStop>& stops) {
    QStringList back;
    for (qsizetype index = 0; index < stops.size(); ++index) {
        const TabStop& from = stops[index];
        const TabStop& to = stops[(index + 1) % stops.size()];
        if (from.widget && to.widget && order_detail::goesBack(from, to))
            back.append(from.name + QStringLiteral(" → ") + to.name);
    }
    return back;
}

// A Tab walk of the active window `window` as a keyboard user meets it:
// at least `fewestStops` stops, each with a mark that shows and a name, and
// no step back against reading order but the one that comes round.
inline void expectEveryStopShownNamedAndInOrder(QWidget& window, int fewestStops) {
    const QList<TabStop> stops = walkTab(window);
    EXPECT_GE(stops.size(), fewestStops) << "Tab stopped going round";
    for (const TabStop& stop : stops) {
        EXPECT_TRUE(stop.mark.seen()) << stop.name.toStdString() << ": " << stop.mark.text().toStdString();
        EXPECT_FALSE(stop.spoken.trimmed().isEmpty()) << stop.name.toStdString() << " has no name";
    }
    const QStringList back = stepsAgainstReadingOrder(stops);
    EXPECT_LE(back.size(), 1) << back.join(QLatin1Char('\n')).toStdString();
}

}  // namespace tavero::test
