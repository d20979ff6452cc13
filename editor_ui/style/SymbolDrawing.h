#pragma once

#include <QPainterPath>
#include <QPointF>
#include <QString>

#include <functional>
#include <initializer_list>
#include <map>
#include <optional>

// How a symbol is described for SymbolIcons: paths on a 24 × 24 grid, some
// stroked with round ends, some filled. Groups of symbols live in their own
// files and are looked up by name. Main thread.
namespace tavero::SymbolIcons {

inline constexpr double grid = 24;
inline constexpr double strokeWidth = 1.7;

struct SymbolDrawing {
    QPainterPath stroked;
    QPainterPath filled;
};

// A group of symbols: each name with the function that draws it.
using SymbolTable = std::map<QString, std::function<SymbolDrawing()>>;

// The drawing of `name` in `table`, or none.
inline std::optional<SymbolDrawing> drawFrom(const SymbolTable& table, const QString& name) {
    if (const auto found = table.find(name); found != table.end()) return found->second();
    return std::nullopt;
}

// An open line through `points`, in order.
inline QPainterPath polyline(std::initializer_list<QPointF> points) {
    QPainterPath path;
    auto point = points.begin();
    path.moveTo(*point);
    for (++point; point != points.end(); ++point) path.lineTo(*point);
    return path;
}

// A four-pointed star, the sparkle of "sparkles".
inline QPainterPath sparkle(const QPointF& at, double radius) {
    const double waist = radius * 0.28;
    QPainterPath path;
    path.moveTo(at.x(), at.y() - radius);
    path.lineTo(at.x() + waist, at.y() - waist);
    path.lineTo(at.x() + radius, at.y());
    path.lineTo(at.x() + waist, at.y() + waist);
    path.lineTo(at.x(), at.y() + radius);
    path.lineTo(at.x() - waist, at.y() + waist);
    path.lineTo(at.x() - radius, at.y());
    path.lineTo(at.x() - waist, at.y() - waist);
    path.closeSubpath();
    return path;
}

// The symbols of the editor window: header, status bar, sidebar, action bar,
// practice bar and record button. None for any other name.
std::optional<SymbolDrawing> windowSymbol(const QString& name);
// The symbols of the status item. None for any other name.
std::optional<SymbolDrawing> statusSymbol(const QString& name);
// The symbols of the twelve annotation tools. None for any other name.
std::optional<SymbolDrawing> toolSymbol(const QString& name);
// The symbols of the tool panel, the history list and the background sheet.
// None for any other name.
std::optional<SymbolDrawing> panelSymbol(const QString& name);
// The symbols of the start screen and its illustrations that no other
// group draws. None for any other name.
std::optional<SymbolDrawing> startSymbol(const QString& name);
// The symbols of the settings, screen-access and recent-files sheets. None
// for any other name.
std::optional<SymbolDrawing> sheetSymbol(const QString& name);

// The symbols of the recording windows. None for any other name.
std::optional<SymbolDrawing> recordingSymbol(const QString& name);

}  // namespace tavero::SymbolIcons
