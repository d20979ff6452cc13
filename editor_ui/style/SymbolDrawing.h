#pragma once

#include <QPainterPath>
#include <QString>

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

}  // namespace tavero::SymbolIcons
