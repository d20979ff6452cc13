#include "platform/Json.h"

#include <gtest/gtest.h>

using namespace tavero;
using json::Json;

namespace {

Json object(const char* text) { return json::parse(QByteArray(text)); }

}  // namespace

TEST(JsonStrictReads, AcceptTheExpectedTypes) {
    const Json value = object(R"({"d": 2.5, "i": 7, "whole": 3, "s": "文字", "b": true})");
    EXPECT_EQ(json::requireDouble(value, "d"), 2.5);
    EXPECT_EQ(json::requireDouble(value, "whole"), 3.0);
    EXPECT_EQ(json::requireInt(value, "i"), 7);
    EXPECT_EQ(json::requireString(value, "s"), QStringLiteral("文字"));
    EXPECT_TRUE(json::requireBool(value, "b"));
}

TEST(JsonStrictReads, RefuseMissingNullAndMistypedValues) {
    const Json value = object(R"({"d": "2.5", "f": 3.0, "n": null, "b": 1, "s": 5})");
    EXPECT_THROW(json::requireDouble(value, "d"), json::DecodeError);
    EXPECT_THROW(json::requireInt(value, "f"), json::DecodeError) << "an integer must be written as one";
    EXPECT_THROW(json::requireDouble(value, "n"), json::DecodeError);
    EXPECT_THROW(json::requireDouble(value, "absent"), json::DecodeError);
    EXPECT_THROW(json::requireBool(value, "b"), json::DecodeError);
    EXPECT_THROW(json::requireString(value, "s"), json::DecodeError);
    EXPECT_THROW(json::requireDouble(Json::array(), "d"), json::DecodeError);
    EXPECT_EQ(json::optional(value, "n"), nullptr);
    EXPECT_EQ(json::optional(value, "absent"), nullptr);
}

TEST(JsonStrictReads, RefuseMalformedText) {
    EXPECT_THROW(json::parse("{\"a\": "), json::DecodeError);
    EXPECT_THROW(json::parse(""), json::DecodeError);
    EXPECT_THROW(json::parse("{\"a\": NaN}"), json::DecodeError);
    EXPECT_THROW(json::parse("{\"a\": 1e999}"), json::NumberOutOfRange);
    EXPECT_THROW(json::parse("[-1e400]"), json::NumberOutOfRange);
}

TEST(JsonWriting, KeepsKeyOrderAndIsCompact) {
    Json value = Json::object();
    value["zeta"] = 1;
    value["alpha"] = "x";
    value["mid"] = Json::array({1.5, 2});
    EXPECT_EQ(json::dump(value), QByteArray(R"({"zeta":1,"alpha":"x","mid":[1.5,2]})"));
}

TEST(JsonUuids, AreWrittenUpperCaseAndReadInEitherCase) {
    const QUuid id = QUuid::fromString(QStringLiteral("6f1c2a3b-4d5e-4f60-8a7b-9c0d1e2f3a4b"));
    EXPECT_EQ(json::uuidString(id), QStringLiteral("6F1C2A3B-4D5E-4F60-8A7B-9C0D1E2F3A4B"));
    EXPECT_EQ(json::parseUuid(QStringLiteral("6f1c2a3b-4d5e-4f60-8a7b-9c0d1e2f3a4b")), id);
    EXPECT_EQ(json::parseUuid(QStringLiteral("6F1C2A3B-4D5E-4F60-8A7B-9C0D1E2F3A4B")), id);
    EXPECT_TRUE(json::parseUuid(QStringLiteral("not-a-uuid")).isNull());
    EXPECT_THROW(json::requireUuid(object(R"({"id": "nope"})"), "id"), json::DecodeError);
}

TEST(JsonDates, CountSecondsFrom2001) {
    const QDateTime reference(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    EXPECT_EQ(json::dateToJson(reference), 0.0);
    EXPECT_EQ(json::dateToJson(reference.addSecs(86400)), 86400.0);
    const QDateTime date(QDate(2026, 12, 6), QTime(20, 50, 36, 250), Qt::UTC);
    EXPECT_EQ(json::dateFromJson(json::dateToJson(date)), date);
}

TEST(JsonGeometry, PointsAndRectanglesUseNestedArrays) {
    const QRectF rect(10, 20.5, 300, 40);
    const Json encoded = json::rectToJson(rect);
    EXPECT_EQ(json::dump(encoded), QByteArray("[[10.0,20.5],[300.0,40.0]]"));
    EXPECT_EQ(json::rectFromJson(encoded), rect);
    EXPECT_THROW(json::rectFromJson(object(R"({"x": 1})")), json::DecodeError);
    EXPECT_THROW(json::pointFromJson(Json::array({1})), json::DecodeError);
}

TEST(JsonBytes, RoundTripAsStrictBase64) {
    const QByteArray bytes("\x89PNG\r\n\x1a\n\0\xff", 10);
    EXPECT_EQ(json::bytesFromJson(json::bytesToJson(bytes)), bytes);
    EXPECT_THROW(json::bytesFromJson(Json("not base64!")), json::DecodeError);
    EXPECT_THROW(json::bytesFromJson(Json(12)), json::DecodeError);
}
