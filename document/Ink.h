#pragma once

#include "platform/Json.h"

#include <QColor>

#include <array>

namespace tavero {

// A colour as four sRGB components, each nominally 0 to 1.
struct Ink {
    double r = 0;
    double g = 0;
    double b = 0;
    double a = 1;

    QColor color() const { return QColor::fromRgbF(float(r), float(g), float(b), float(a)); }

    friend bool operator==(const Ink&, const Ink&) = default;

    // The selection and accent colour.
    static const Ink teal;
    // The seven colours of the tool panel; the first is a new document's ink.
    static const std::array<Ink, 7> palette;
};

json::Json toJson(const Ink& ink);
Ink inkFromJson(const json::Json& value);

}  // namespace tavero
