#pragma once

#include <QList>
#include <QRectF>

#include <optional>

namespace tavero {

// Where the recording windows go, in global points with a top-left origin
// (Qt's desktop coordinates, the space of the recorded area).
namespace OverlayPlacement {

// One screen: all of it, and the part free of panels and docks.
struct Screen {
    QRectF frame;
    QRectF visible;
};

inline constexpr double controlWidth = 730;
inline constexpr double controlHeight = 82;
inline constexpr double controlLift = 24;
inline constexpr double prompterWidth = 470;
inline constexpr double prompterHeight = 310;
inline constexpr double prompterDrop = 40;
inline constexpr double borderOutset = 2;

// The screen that holds the centre of `area`; else the main screen
// (`main`, an index); else the first. None without screens.
std::optional<qsizetype> screenFor(const QRectF& area, const QList<Screen>& screens, std::optional<qsizetype> main);

// The control panel: centred at the bottom of the visible part, 24 points
// above its edge.
QRectF controlPanel(const QRectF& visible);
// The teleprompter: centred near the top of the visible part, 40 points
// below its edge.
QRectF prompterPanel(const QRectF& visible);
// The border window: 2 points beyond the area on every side.
QRectF border(const QRectF& area);

}  // namespace OverlayPlacement

}  // namespace tavero
