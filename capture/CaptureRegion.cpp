#include "capture/CaptureRegion.h"

#include <limits>

namespace tavero {

namespace {
const QString lastRegionKey = QStringLiteral("lastRegion");
}

json::Json toJson(const CaptureRegion& region) {
    json::Json object = json::Json::object();
    object["displayID"] = region.displayID;
    object["rect"] = json::rectToJson(region.rect);
    return object;
}

CaptureRegion captureRegionFromJson(const json::Json& value) {
    const qint64 displayID = json::requireInt(value, "displayID");
    if (displayID < 0 || displayID > qint64(std::numeric_limits<quint32>::max()))
        throw json::DecodeError("\"displayID\" is not an unsigned 32-bit number");
    return {quint32(displayID), json::rectFromJson(json::require(value, "rect"))};
}

std::optional<CaptureRegion> readLastRegion(QSettings& settings) {
    const QVariant stored = settings.value(lastRegionKey);
    if (!stored.isValid()) return std::nullopt;
    try {
        return captureRegionFromJson(json::parse(stored.toByteArray()));
    } catch (const json::DecodeError&) {
        return std::nullopt;
    }
}

void storeLastRegion(QSettings& settings, const std::optional<CaptureRegion>& region) {
    settings.setValue(lastRegionKey, json::dump(region ? toJson(*region) : json::Json(nullptr)));
}

}  // namespace tavero
