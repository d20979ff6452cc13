#pragma once

#include "document/Ink.h"

#include <QList>
#include <QString>

#include <array>
#include <optional>

namespace tavero {

// The background colours of a frame, in the order of the sheet's swatches.
enum class FramePreset { peach, dawn, sea, lilac, sky, sand, mint, night };

inline constexpr std::array<FramePreset, 8> allFramePresets{
    FramePreset::peach, FramePreset::dawn, FramePreset::sea,  FramePreset::lilac,
    FramePreset::sky,   FramePreset::sand, FramePreset::mint, FramePreset::night,
};

QString rawValue(FramePreset preset);
// Exactly one of the stored names, case-sensitive; anything else is none.
std::optional<FramePreset> framePresetFromRaw(const QString& raw);
QString title(FramePreset preset);
// The opaque colour stops, first to last: three for gradients, one for solid colours.
QList<Ink> colors(FramePreset preset);
bool isGradient(FramePreset preset);

// Which way a gradient runs; solid presets ignore it.
enum class GradientDirection { diagonal, horizontal, vertical };

inline constexpr std::array<GradientDirection, 3> allGradientDirections{
    GradientDirection::diagonal, GradientDirection::horizontal, GradientDirection::vertical};

QString rawValue(GradientDirection direction);
std::optional<GradientDirection> gradientDirectionFromRaw(const QString& raw);
QString title(GradientDirection direction);

// A background frame as the user sets it up. Never stored in a file.
struct FrameOptions {
    FramePreset preset = FramePreset::peach;
    // Margin around the picture, in pixels at rendering scale 1.
    double padding = 96;
    // Corner radius of the picture, in pixels at rendering scale 1.
    double cornerRadius = 20;
    GradientDirection direction = GradientDirection::diagonal;

    friend bool operator==(const FrameOptions&, const FrameOptions&) = default;
};

size_t qHash(const FrameOptions& options, size_t seed = 0) noexcept;

}  // namespace tavero
