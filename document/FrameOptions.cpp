#include "document/FrameOptions.h"

#include <QHashFunctions>

namespace tavero {

namespace {

struct PresetInfo {
    const char* raw;
    const char* title;
    QList<Ink> colors;
};

const PresetInfo& info(FramePreset preset) {
    static const std::array<PresetInfo, 8> presets{{
        {"peach", "蜜桃", {{0.98, 0.76, 0.72, 1}, {1.0, 0.88, 0.71, 1}, {1.0, 0.95, 0.85, 1}}},
        {"dawn", "朝霞", {{0.79, 0.79, 0.93, 1}, {0.96, 0.81, 0.87, 1}, {1.0, 0.87, 0.76, 1}}},
        {"sea", "海盐", {{0.69, 0.81, 0.92, 1}, {0.77, 0.90, 0.91, 1}, {0.88, 0.95, 0.84, 1}}},
        {"lilac", "暮紫", {{0.67, 0.65, 0.85, 1}, {0.83, 0.77, 0.90, 1}, {0.96, 0.85, 0.91, 1}}},
        {"sky", "晴空", {{0.46, 0.70, 0.89, 1}, {0.71, 0.86, 0.95, 1}, {0.90, 0.95, 0.98, 1}}},
        {"sand", "暖砂", {{0.78, 0.72, 0.65, 1}, {0.91, 0.85, 0.76, 1}, {0.98, 0.95, 0.88, 1}}},
        {"mint", "浅绿", {{0.84, 0.94, 0.90, 1}}},
        {"night", "深色", {{0.08, 0.14, 0.16, 1}}},
    }};
    return presets[size_t(preset)];
}

}  // namespace

QString rawValue(FramePreset preset) { return QString::fromLatin1(info(preset).raw); }

std::optional<FramePreset> framePresetFromRaw(const QString& raw) {
    for (FramePreset preset : allFramePresets)
        if (raw == rawValue(preset)) return preset;
    return std::nullopt;
}

QString title(FramePreset preset) { return QString::fromUtf8(info(preset).title); }

QList<Ink> colors(FramePreset preset) { return info(preset).colors; }

bool isGradient(FramePreset preset) { return info(preset).colors.size() > 1; }

QString rawValue(GradientDirection direction) {
    switch (direction) {
    case GradientDirection::diagonal: return QStringLiteral("diagonal");
    case GradientDirection::horizontal: return QStringLiteral("horizontal");
    case GradientDirection::vertical: return QStringLiteral("vertical");
    }
    return {};
}

std::optional<GradientDirection> gradientDirectionFromRaw(const QString& raw) {
    for (GradientDirection direction : allGradientDirections)
        if (raw == rawValue(direction)) return direction;
    return std::nullopt;
}

QString title(GradientDirection direction) {
    switch (direction) {
    case GradientDirection::diagonal: return QStringLiteral("斜向");
    case GradientDirection::horizontal: return QStringLiteral("横向");
    case GradientDirection::vertical: return QStringLiteral("纵向");
    }
    return {};
}

size_t qHash(const FrameOptions& options, size_t seed) noexcept {
    return qHashMulti(seed, rawValue(options.preset), options.padding, options.cornerRadius,
                      rawValue(options.direction));
}

}  // namespace tavero
