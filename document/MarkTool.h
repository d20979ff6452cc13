#pragma once

#include <QString>

#include <array>
#include <optional>

namespace tavero {

// The twelve annotation tools, in the order the tool panel lists them.
enum class MarkTool {
    move,
    arrow,
    rectangle,
    ellipse,
    pen,
    highlight,
    text,
    counter,
    redact,
    pixelate,
    spotlight,
    crop,
};

inline constexpr std::array<MarkTool, 12> allMarkTools{
    MarkTool::move,      MarkTool::arrow,    MarkTool::rectangle, MarkTool::ellipse,
    MarkTool::pen,       MarkTool::highlight, MarkTool::text,     MarkTool::counter,
    MarkTool::redact,    MarkTool::pixelate, MarkTool::spotlight, MarkTool::crop,
};

// The stored name, equal to the case name ("move", "arrow", …).
QString rawValue(MarkTool tool);
// Exactly one of the twelve stored names, case-sensitive; anything else is no tool.
std::optional<MarkTool> markToolFromRaw(const QString& raw);
// The Chinese title shown on the tool's button.
QString title(MarkTool tool);
// The symbol name of the tool's icon.
QString symbol(MarkTool tool);

}  // namespace tavero
