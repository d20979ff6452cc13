#include "editor_ui/style/TaveroStyle.h"

namespace tavero::TaveroStyle {

namespace {
QColor srgb(float red, float green, float blue) { return QColor::fromRgbF(red, green, blue); }
}  // namespace

const QColor& green() {
    static const QColor colour = srgb(0.08f, 0.46f, 0.37f);
    return colour;
}

const QColor& mint() {
    static const QColor colour = srgb(0.184f, 0.769f, 0.627f);
    return colour;
}

const QColor& yellow() {
    static const QColor colour = srgb(0.965f, 0.80f, 0.27f);
    return colour;
}

const QColor& ink() {
    static const QColor colour = srgb(0.17f, 0.21f, 0.23f);
    return colour;
}

const QColor& paper() {
    static const QColor colour = srgb(0.95f, 0.96f, 0.97f);
    return colour;
}

const QColor& screenshotSurface() {
    static const QColor colour = srgb(0.88f, 0.95f, 0.92f);
    return colour;
}

const QColor& recordingSurface() {
    static const QColor colour = srgb(0.90f, 0.93f, 0.98f);
    return colour;
}

const QColor& recordingAccent() {
    static const QColor colour = srgb(0.25f, 0.37f, 0.63f);
    return colour;
}

}  // namespace tavero::TaveroStyle
