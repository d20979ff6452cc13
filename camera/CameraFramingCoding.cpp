#include "camera/CameraFraming.h"

#include "camera/FiniteNumber.h"

#include <QSettings>

namespace tavero {

namespace {
const QString storedFramingKey = QStringLiteral("recording.cameraFraming");
}

QString rawValue(CameraAspect aspect) {
    switch (aspect) {
    case CameraAspect::portrait34:
        return QStringLiteral("竖版 3:4");
    case CameraAspect::portrait916:
        return QStringLiteral("竖版 9:16");
    case CameraAspect::landscape169:
        return QStringLiteral("横版 16:9");
    case CameraAspect::landscape43:
        return QStringLiteral("横版 4:3");
    case CameraAspect::square:
        return QStringLiteral("方形 1:1");
    case CameraAspect::custom:
        return QStringLiteral("自定义");
    }
    return {};
}

std::optional<CameraAspect> cameraAspectFromRaw(const QString& raw) {
    for (CameraAspect aspect : allCameraAspects) {
        if (rawValue(aspect) == raw) return aspect;
    }
    return std::nullopt;
}

json::Json toJson(const CameraFraming& framing) {
    json::Json object = json::Json::object();
    object["aspect"] = json::fromString(rawValue(framing.aspect));
    object["customWidth"] = framing.customWidth;
    object["customHeight"] = framing.customHeight;
    object["centerX"] = finiteNumber(framing.centerX);
    object["centerY"] = finiteNumber(framing.centerY);
    object["cropScale"] = finiteNumber(framing.cropScale);
    return object;
}

CameraFraming cameraFramingFromJson(const json::Json& value) {
    const auto aspect = cameraAspectFromRaw(json::requireString(value, "aspect"));
    if (!aspect) throw json::DecodeError("\"aspect\" is not a camera aspect");
    CameraFraming framing;
    framing.aspect = *aspect;
    framing.customWidth = json::requireInt(value, "customWidth");
    framing.customHeight = json::requireInt(value, "customHeight");
    framing.centerX = json::requireDouble(value, "centerX");
    framing.centerY = json::requireDouble(value, "centerY");
    framing.cropScale = json::requireDouble(value, "cropScale");
    return framing;
}

CameraFraming CameraFraming::load() {
    const QVariant stored = QSettings().value(storedFramingKey);
    if (!stored.isValid()) return {};
    try {
        const CameraFraming framing = cameraFramingFromJson(json::parse(stored.toByteArray()));
        return framing.validationIssue() ? CameraFraming() : framing;
    } catch (const json::DecodeError&) {
        return {};
    }
}

void CameraFraming::save() const {
    if (validationIssue()) return;
    try {
        QSettings().setValue(storedFramingKey, json::dump(toJson(*this)));
    } catch (const NonFiniteNumber&) {
        // Nothing JSON cannot hold is kept; the last good framing stays.
    }
}

}  // namespace tavero
