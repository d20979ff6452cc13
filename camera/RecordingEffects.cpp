#include "camera/RecordingEffects.h"

#include "camera/FiniteNumber.h"

#include <algorithm>
#include <cmath>

namespace tavero {

namespace {

bool boolOr(const json::Json& object, const char* key, bool fallback) {
    const json::Json* value = json::optional(object, key);
    if (!value) return fallback;
    if (!value->is_boolean()) throw json::DecodeError(std::string(key) + " is not a Boolean");
    return value->get<bool>();
}

double doubleOr(const json::Json& object, const char* key, double fallback) {
    const json::Json* value = json::optional(object, key);
    return value ? json::toDouble(*value) : fallback;
}

double within(double value, double lowest, double highest, double fallback) {
    return std::isnan(value) ? fallback : std::clamp(value, lowest, highest);
}

}  // namespace

RecordingEffects RecordingEffects::withinRanges() const {
    const RecordingEffects defaults;
    RecordingEffects kept = *this;
    kept.zoom = within(zoom, effectRanges::minZoom, effectRanges::maxZoom, defaults.zoom);
    kept.padding = within(padding, effectRanges::minPadding, effectRanges::maxPadding, defaults.padding);
    kept.blur = within(blur, effectRanges::minBlur, effectRanges::maxBlur, defaults.blur);
    return kept;
}

json::Json toJson(const RecordingEffects& effects) {
    json::Json object = json::Json::object();
    object["autoZoom"] = effects.autoZoom;
    object["backgroundBlur"] = effects.backgroundBlur;
    object["zoom"] = finiteNumber(effects.zoom);
    object["padding"] = finiteNumber(effects.padding);
    object["blur"] = finiteNumber(effects.blur);
    return object;
}

RecordingEffects recordingEffectsFromJson(const json::Json& value) {
    const RecordingEffects defaults;
    RecordingEffects effects;
    effects.autoZoom = boolOr(value, "autoZoom", defaults.autoZoom);
    // The legacy key is not even looked at when the current one is there.
    effects.backgroundBlur = json::optional(value, "backgroundBlur")
                                 ? boolOr(value, "backgroundBlur", defaults.backgroundBlur)
                                 : boolOr(value, "focusBlur", defaults.backgroundBlur);
    effects.zoom = doubleOr(value, "zoom", defaults.zoom);
    effects.padding = doubleOr(value, "padding", defaults.padding);
    effects.blur = doubleOr(value, "blur", defaults.blur);
    return effects.withinRanges();
}

}  // namespace tavero
