#pragma once

#include <QFont>

namespace tavero {

enum class FontWeight { regular, medium, semibold, bold };

// The one typeface of the program: Noto Sans CJK SC, loaded from its files
// once so marks render alike on every machine. The family ships Regular and
// Bold only: semibold and bold use Bold, medium and regular use Regular.
namespace Fonts {

inline constexpr const char* family = "Noto Sans CJK SC";

// Registers the font files with the font database; safe to call repeatedly
// and from any thread once a QGuiApplication exists.
void load();

// The system font at a size in pixels of a device with `logicalDpi`
// (our drawing surfaces are 96 dpi). Fractional sizes are kept.
QFont system(double pixelSize, FontWeight weight = FontWeight::regular, int logicalDpi = 96);

}  // namespace Fonts
}  // namespace tavero
