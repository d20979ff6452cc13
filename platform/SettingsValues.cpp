#include "platform/SettingsValues.h"

#include <QVariant>

#include <cmath>

namespace tavero::SettingsValues {

std::optional<bool> readBool(const QSettings& settings, const QString& key) {
    const QVariant value = settings.value(key);
    if (value.typeId() == QMetaType::Bool) return value.toBool();
    if (value.typeId() != QMetaType::QString) return std::nullopt;
    const QString text = value.toString();
    if (text == QLatin1String("true")) return true;
    if (text == QLatin1String("false")) return false;
    return std::nullopt;
}

std::optional<double> readNumber(const QSettings& settings, const QString& key) {
    const QVariant value = settings.value(key);
    bool ok = false;
    double number = 0;
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Float:
    case QMetaType::Double:
        number = value.toDouble(&ok);
        break;
    case QMetaType::QString:
        // QString::toDouble reads the C locale whatever the user's locale is.
        number = value.toString().toDouble(&ok);
        break;
    default:
        break;
    }
    if (!ok || !std::isfinite(number)) return std::nullopt;
    return number;
}

}  // namespace tavero::SettingsValues
