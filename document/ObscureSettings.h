#pragma once

#include "platform/Json.h"

#include <QString>

#include <array>
#include <optional>

namespace tavero {

// How a cover hides its region, in the order of the style picker.
enum class ObscureStyle { frosted, soft, pixel };

inline constexpr std::array<ObscureStyle, 3> allObscureStyles{ObscureStyle::frosted, ObscureStyle::soft,
                                                              ObscureStyle::pixel};

QString rawValue(ObscureStyle style);
std::optional<ObscureStyle> obscureStyleFromRaw(const QString& raw);
QString title(ObscureStyle style);

// The cover settings of one pixelate mark, and the document's settings for new ones.
struct ObscureSettings {
    ObscureStyle style = ObscureStyle::frosted;
    // Block size or blur radius in base-image pixels; drawing clamps it to 1…96.
    double strength = 24;
    // Strength of the frosted style's white wash; drawing clamps it to 0…0.9.
    double opacity = 0.28;

    friend bool operator==(const ObscureSettings&, const ObscureSettings&) = default;
};

json::Json toJson(const ObscureSettings& settings);
ObscureSettings obscureSettingsFromJson(const json::Json& value);

}  // namespace tavero
