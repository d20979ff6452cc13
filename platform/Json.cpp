#include "platform/Json.h"

#include <QStringDecoder>

#include <cmath>

namespace tavero::json {

namespace {

[[noreturn]] void fail(const std::string& what) { throw DecodeError(what); }

std::string keyName(const char* key) { return std::string("\"") + key + "\""; }

}  // namespace

Json parse(const QByteArray& bytes) {
    try {
        return Json::parse(bytes.constBegin(), bytes.constEnd());
    } catch (const nlohmann::json::exception& error) {
        fail(error.what());
    }
}

QByteArray dump(const Json& value) {
    const std::string text = value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    return QByteArray(text.data(), qsizetype(text.size()));
}

const Json& require(const Json& object, const char* key) {
    if (!object.is_object()) fail("expected an object holding " + keyName(key));
    const auto found = object.find(key);
    if (found == object.end() || found->is_null()) fail("missing " + keyName(key));
    return *found;
}

const Json* optional(const Json& object, const char* key) {
    if (!object.is_object()) fail("expected an object");
    const auto found = object.find(key);
    if (found == object.end() || found->is_null()) return nullptr;
    return &*found;
}

double toDouble(const Json& value) {
    if (!value.is_number()) fail("expected a number");
    const double number = value.get<double>();
    if (!std::isfinite(number)) fail("expected a finite number");
    return number;
}

qint64 toInt(const Json& value) {
    if (value.is_number_integer() && !value.is_number_unsigned()) return value.get<qint64>();
    if (value.is_number_unsigned()) {
        const auto number = value.get<std::uint64_t>();
        if (number > std::uint64_t(std::numeric_limits<qint64>::max())) fail("integer out of range");
        return qint64(number);
    }
    fail("expected an integer");
}

// QString::fromUtf8 drops a byte order mark at the start of the text; in a
// JSON string a U+FEFF there is a character like any other.
QString toString(const Json& value) {
    if (!value.is_string()) fail("expected a string");
    const auto& text = value.get_ref<const std::string&>();
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                    QStringConverter::Flag::ConvertInitialBom);
    return utf8(QByteArrayView(text.data(), qsizetype(text.size())));
}

Json fromString(const QString& text) { return text.toStdString(); }

double requireDouble(const Json& object, const char* key) { return toDouble(require(object, key)); }
qint64 requireInt(const Json& object, const char* key) { return toInt(require(object, key)); }
QString requireString(const Json& object, const char* key) { return toString(require(object, key)); }

bool requireBool(const Json& object, const char* key) {
    const Json& value = require(object, key);
    if (!value.is_boolean()) fail(keyName(key) + " is not a Boolean");
    return value.get<bool>();
}

QUuid requireUuid(const Json& object, const char* key) {
    const QUuid id = parseUuid(requireString(object, key));
    if (id.isNull()) fail(keyName(key) + " is not a UUID");
    return id;
}

const Json& requireArray(const Json& object, const char* key) {
    const Json& value = require(object, key);
    if (!value.is_array()) fail(keyName(key) + " is not an array");
    return value;
}

const Json& requireObject(const Json& object, const char* key) {
    const Json& value = require(object, key);
    if (!value.is_object()) fail(keyName(key) + " is not an object");
    return value;
}

QString uuidString(const QUuid& id) { return id.toString(QUuid::WithoutBraces).toUpper(); }

QUuid parseUuid(const QString& text) {
    // Only the plain 36-character form is a stored identifier; braces are not.
    if (text.size() != 36) return {};
    return QUuid::fromString(text);
}

namespace {
const QDateTime& referenceDate() {
    static const QDateTime reference(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    return reference;
}
}  // namespace

double dateToJson(const QDateTime& date) { return double(referenceDate().msecsTo(date)) / 1000.0; }

QDateTime dateFromJson(double seconds) { return referenceDate().addMSecs(qint64(std::llround(seconds * 1000.0))).toLocalTime(); }

Json pointToJson(const QPointF& point) { return Json::array({point.x(), point.y()}); }

QPointF pointFromJson(const Json& value) {
    if (!value.is_array() || value.size() != 2) fail("a point is an array of two numbers");
    return {toDouble(value[0]), toDouble(value[1])};
}

Json rectToJson(const QRectF& rect) {
    return Json::array({Json::array({rect.x(), rect.y()}), Json::array({rect.width(), rect.height()})});
}

QRectF rectFromJson(const Json& value) {
    if (!value.is_array() || value.size() != 2) fail("a rectangle is [[x, y], [width, height]]");
    const QPointF origin = pointFromJson(value[0]);
    const QPointF size = pointFromJson(value[1]);
    return {origin.x(), origin.y(), size.x(), size.y()};
}

Json bytesToJson(const QByteArray& bytes) { return bytes.toBase64().toStdString(); }

QByteArray bytesFromJson(const Json& value) {
    const QString text = toString(value);
    auto decoded = QByteArray::fromBase64Encoding(text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) fail("not Base64 data");
    return *decoded;
}

}  // namespace tavero::json
