#include "camera/CameraFraming.h"

#include <gtest/gtest.h>

using namespace tavero;
using json::Json;

TEST(CameraFramingCodingTest, WritesTheAspectLabelAndTheFiveNumbersInOrder) {
    const CameraFraming framing{CameraAspect::portrait916, 720, 1280, 0.25, 0.75, 0.5};
    EXPECT_EQ(
        json::dump(toJson(framing)),
        QByteArray(
            R"({"aspect":"竖版 9:16","customWidth":720,"customHeight":1280,"centerX":0.25,"centerY":0.75,"cropScale":0.5})"));
    for (CameraAspect aspect : allCameraAspects) {
        const CameraFraming stored{aspect, 63, 4097, 100, -5, 0.05};
        EXPECT_EQ(cameraFramingFromJson(json::parse(json::dump(toJson(stored)))), stored)
            << "stored as assigned, even outside the usable ranges";
    }
}

TEST(CameraFramingCodingTest, RefusesUnknownLabelsMissingKeysAndWrongTypes) {
    const Json valid = toJson(CameraFraming{});
    for (const char* key : {"aspect", "customWidth", "customHeight", "centerX", "centerY", "cropScale"}) {
        Json missing = valid;
        missing.erase(key);
        EXPECT_THROW(cameraFramingFromJson(missing), json::DecodeError) << key;
    }
    const std::pair<const char*, Json> wrong[] = {
        {"aspect", "横版 21:9"}, {"aspect", "landscape169"}, {"customWidth", 1080.5}, {"cropScale", "1"}};
    for (const auto& [key, value] : wrong) {
        Json changed = valid;
        changed[key] = value;
        EXPECT_THROW(cameraFramingFromJson(changed), json::DecodeError) << key;
    }
}
