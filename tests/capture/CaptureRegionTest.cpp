#include "capture/CaptureRegion.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

using namespace tavero;

namespace {

class LastRegionTest : public testing::Test {
protected:
    test::TempDir folder;
    QSettings settings{folder.file(QStringLiteral("defaults.ini")), QSettings::IniFormat};
};

TEST_F(LastRegionTest, IsStoredAsJsonWithDisplayIdAndANestedRectangleOrAsNull) {
    const CaptureRegion region{4000000000u, QRectF(10.5, 20, 100, 50.25)};
    storeLastRegion(settings, region);
    const auto stored = json::parse(settings.value(QStringLiteral("lastRegion")).toByteArray());
    EXPECT_EQ(stored, json::parse(R"({"displayID":4000000000,"rect":[[10.5,20],[100,50.25]]})"));
    EXPECT_EQ(stored.begin().key(), "displayID");
    EXPECT_EQ(readLastRegion(settings), region);

    storeLastRegion(settings, std::nullopt);
    EXPECT_EQ(settings.value(QStringLiteral("lastRegion")).toByteArray(), QByteArray("null"));
    EXPECT_FALSE(readLastRegion(settings).has_value());
}

TEST_F(LastRegionTest, CorruptDataReadsAsNone) {
    for (const char* corrupt : {"", "garbage", "[1,2]", R"({"displayID":1})", R"({"displayID":-1,"rect":[[0,0],[1,1]]})",
                                R"({"displayID":4294967296,"rect":[[0,0],[1,1]]})", R"({"displayID":1.5,"rect":[[0,0],[1,1]]})",
                                R"({"displayID":1,"rect":[0,0,1,1]})", R"({"displayID":"1","rect":[[0,0],[1,1]]})"}) {
        settings.setValue(QStringLiteral("lastRegion"), QByteArray(corrupt));
        EXPECT_FALSE(readLastRegion(settings).has_value()) << corrupt;
    }
    settings.remove(QStringLiteral("lastRegion"));
    EXPECT_FALSE(readLastRegion(settings).has_value());
}

}  // namespace
