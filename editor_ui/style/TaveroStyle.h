#pragma once

#include <QColor>

// The brand palette: eight fixed, opaque sRGB colours, each made once on
// first use and shared from then on. Read them from any thread.
namespace tavero::TaveroStyle {

// The brand accent: primary buttons, the scrolling capture's frame and bar,
// the main window's accent.
const QColor& green();
// The light accent: the sample badge and the practice bar.
const QColor& mint();
// The illustration's highlight.
const QColor& yellow();
// Dark text.
const QColor& ink();
// The start screen's background and the face of a key cap.
const QColor& paper();
const QColor& screenshotSurface();
const QColor& recordingSurface();
const QColor& recordingAccent();

}  // namespace tavero::TaveroStyle
