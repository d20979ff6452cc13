#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QUuid>

#include <nlohmann/json.hpp>

#include <optional>
#include <stdexcept>

namespace tavero::json {

// Keys keep the order in which they are written; output is compact.
using Json = nlohmann::ordered_json;

// A stored value that is missing or of the wrong type. Callers turn it into
// their own ShotError sentence.
class DecodeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

Json parse(const QByteArray& bytes);
QByteArray dump(const Json& value);

// Strict reads: the key must exist and hold exactly the expected type.
// Integers must be written as integers; doubles accept any finite number.
const Json& require(const Json& object, const char* key);
double requireDouble(const Json& object, const char* key);
qint64 requireInt(const Json& object, const char* key);
bool requireBool(const Json& object, const char* key);
QString requireString(const Json& object, const char* key);
QUuid requireUuid(const Json& object, const char* key);
const Json& requireArray(const Json& object, const char* key);
const Json& requireObject(const Json& object, const char* key);

// The key is absent or null: no value. Present with another type: an error.
const Json* optional(const Json& object, const char* key);

double toDouble(const Json& value);
qint64 toInt(const Json& value);
// Every character of the string, a U+FEFF at its start too.
QString toString(const Json& value);

Json fromString(const QString& text);

// UUIDs are written upper-case and read in either case.
QString uuidString(const QUuid& id);
QUuid parseUuid(const QString& text);

// Dates are seconds since 2001-01-01 00:00:00 UTC, as a double.
double dateToJson(const QDateTime& date);
QDateTime dateFromJson(double seconds);

// Points as [x, y]; rectangles as [[x, y], [width, height]].
Json pointToJson(const QPointF& point);
QPointF pointFromJson(const Json& value);
Json rectToJson(const QRectF& rect);
QRectF rectFromJson(const Json& value);

// Bytes as one standard Base64 string; reading refuses anything that is not
// strictly Base64.
Json bytesToJson(const QByteArray& bytes);
QByteArray bytesFromJson(const Json& value);

}  // namespace tavero::json
