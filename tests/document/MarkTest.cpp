#include "document/Mark.h"

#include <gtest/gtest.h>

using namespace tavero;
using json::Json;

namespace {

Mark sampleMark() {
    Mark mark;
    mark.id = QUuid::fromString(QStringLiteral("0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d"));
    mark.tool = MarkTool::pixelate;
    mark.points = {{10, 20}, {90.5, 5}};
    mark.ink = Ink::palette[3];
    mark.width = 6;
    mark.fontSize = 40;
    return mark;
}

Json encodedMark() { return toJson(sampleMark()); }

}  // namespace

TEST(MarkCoding, WritesTheKeysInOrderWithAnUpperCaseId) {
    const QByteArray text = json::dump(encodedMark());
    EXPECT_EQ(text, QByteArray("{\"id\":\"0A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D\",\"tool\":\"pixelate\","
                               "\"points\":[[10.0,20.0],[90.5,5.0]],"
                               "\"ink\":{\"r\":0.22,\"g\":0.45,\"b\":0.88,\"a\":1.0},"
                               "\"width\":6.0,\"text\":\"\",\"fontSize\":40.0}"))
        << text.constData();
}

TEST(MarkCoding, WritesObscureOnlyWhenPresent) {
    EXPECT_FALSE(encodedMark().contains("obscure"));
    Mark covered = sampleMark();
    covered.obscure = ObscureSettings{ObscureStyle::soft, 30, 0.5};
    const Json encoded = toJson(covered);
    EXPECT_EQ(json::dump(encoded["obscure"]), QByteArray(R"({"style":"soft","strength":30.0,"opacity":0.5})"));
    EXPECT_EQ(markFromJson(encoded), covered);
}

TEST(MarkDecoding, RequiresEveryKeyButObscure) {
    for (const char* key : {"id", "tool", "points", "ink", "width", "text", "fontSize"}) {
        Json encoded = encodedMark();
        encoded.erase(key);
        EXPECT_THROW(markFromJson(encoded), json::DecodeError) << "without " << key;
    }
    Json withoutObscure = encodedMark();
    EXPECT_FALSE(markFromJson(withoutObscure).obscure.has_value());
    withoutObscure["obscure"] = nullptr;
    EXPECT_FALSE(markFromJson(withoutObscure).obscure.has_value());
}

TEST(MarkDecoding, IgnoresUnknownKeysKeyOrderAndTheCaseOfTheId) {
    const Json shuffled = json::parse(
        R"({"extra": [1, 2], "fontSize": 40, "text": "说明", "width": 6,
            "ink": {"a": 1, "b": 0.88, "g": 0.45, "r": 0.22}, "points": [[10, 20], [90.5, 5]],
            "tool": "pixelate", "id": "0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d"})");
    EXPECT_EQ(markFromJson(shuffled), sampleMark()) << "and a shape's text, which earlier versions kept, dropped";
}

TEST(MarkDecoding, RefusesUnknownToolsAndMistypedValues) {
    const std::pair<const char*, Json> refused[] = {
        {"tool", "MOVE"},
        {"tool", "lasso"},
        {"width", "6"},
        {"points", Json::array({Json::array({1})})},
        {"obscure", json::parse(R"({"style": "Frosted", "strength": 1, "opacity": 0})")},
        {"obscure", json::parse(R"({"style": "pixel", "strength": 1})")},
    };
    for (const auto& [key, value] : refused) {
        Json encoded = encodedMark();
        encoded[key] = value;
        EXPECT_THROW(markFromJson(encoded), json::DecodeError) << key << " = " << json::dump(value).constData();
    }
}

TEST(MarkRect, UsesOnlyTheFirstAndLastPoint) {
    Mark mark;
    EXPECT_EQ(mark.rect(), QRectF());
    mark.points = {{10, 20}, {90, 5}, {50, 80}};
    EXPECT_EQ(mark.rect(), QRectF(10, 20, 40, 60)) << "a pen's middle points do not widen it";
}
