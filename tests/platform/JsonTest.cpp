#include "platform/Json.h"

#include <gtest/gtest.h>

using namespace tavero;
using json::Json;

namespace {

Json object(const char* text) { return json::parse(QByteArray(text)); }

}  // namespace

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
    EXPECT_THROW(json::parse("{\"a\": 1e999}"), json::DecodeError) << "beyond a double";
    EXPECT_THROW(json::parse("[-1e400]"), json::DecodeError);
}

TEST(JsonDates, CountSecondsFrom2001) {
    const QDateTime reference(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    EXPECT_EQ(json::dateToJson(reference.addSecs(86400)), 86400.0);
    const QDateTime date(QDate(2026, 12, 6), QTime(20, 50, 36, 250), Qt::UTC);
    EXPECT_EQ(json::dateFromJson(json::dateToJson(date)), date);
}
