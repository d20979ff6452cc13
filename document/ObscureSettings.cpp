#include "document/ObscureSettings.h"

namespace tavero {

QString rawValue(ObscureStyle style) {
    switch (style) {
    case ObscureStyle::frosted: return QStringLiteral("frosted");
    case ObscureStyle::soft: return QStringLiteral("soft");
    case ObscureStyle::pixel: return QStringLiteral("pixel");
    }
    return {};
}

std::optional<ObscureStyle> obscureStyleFromRaw(const QString& raw) {
    for (ObscureStyle style : allObscureStyles)
        if (raw == rawValue(style)) return style;
    return std::nullopt;
}

QString title(ObscureStyle style) {
    switch (style) {
    case ObscureStyle::frosted: return QStringLiteral("磨砂");
    case ObscureStyle::soft: return QStringLiteral("柔焦");
    case ObscureStyle::pixel: return QStringLiteral("像素");
    }
    return {};
}

json::Json toJson(const ObscureSettings& settings) {
    json::Json object = json::Json::object();
    object["style"] = json::fromString(rawValue(settings.style));
    object["strength"] = settings.strength;
    object["opacity"] = settings.opacity;
    return object;
}

ObscureSettings obscureSettingsFromJson(const json::Json& value) {
    const auto style = obscureStyleFromRaw(json::requireString(value, "style"));
    if (!style) throw json::DecodeError("unknown cover style");
    return {*style, json::requireDouble(value, "strength"), json::requireDouble(value, "opacity")};
}

}  // namespace tavero
