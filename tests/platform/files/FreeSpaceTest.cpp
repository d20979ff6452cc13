#include "platform/files/FreeSpace.h"
#include "tests/support/Files.h"
#include "tests/support/TempDir.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace tavero;

TEST(FreeSpaceTest, MeasuresTheNearestExistingFolder) {
    test::TempDir dir;
    QDir().mkpath(dir.file(QStringLiteral("录屏")));
    test::writeFile(dir.file(QStringLiteral("录屏/a.mp4")), "x");
    QStringList asked;
    FreeSpace::ScopedProbe probe([&](const QString& path) {
        asked << path;
        return std::optional<qint64>(42);
    });
    EXPECT_EQ(FreeSpace::available(dir.file(QStringLiteral("录屏/片段/新的/片段_001.mp4"))), 42);
    EXPECT_EQ(FreeSpace::available(dir.file(QStringLiteral("录屏/a.mp4"))), 42);
    EXPECT_EQ(FreeSpace::available(dir.file(QStringLiteral("录屏/")) + QStringLiteral("../录屏/x")), 42);
    EXPECT_EQ(FreeSpace::available(QStringLiteral("/no-such-root-folder/b/c.mp4")), 42);
    EXPECT_EQ(asked, (QStringList{dir.file(QStringLiteral("录屏")), dir.file(QStringLiteral("录屏/a.mp4")),
                                  dir.file(QStringLiteral("录屏")), QStringLiteral("/")}));
}

TEST(FreeSpaceTest, ReadsTheRealVolumeAndRestoresItAfterATestProbe) {
    test::TempDir dir;
    {
        FreeSpace::ScopedProbe unknown([](const QString&) { return std::optional<qint64>(); });
        EXPECT_EQ(FreeSpace::available(dir.path()), std::nullopt);
    }
    const std::optional<qint64> free = FreeSpace::available(dir.file(QStringLiteral("missing/file.mp4")));
    ASSERT_TRUE(free.has_value());
    EXPECT_GE(*free, 0);
    EXPECT_EQ(FreeSpace::statvfsProbe(dir.file(QStringLiteral("missing"))), std::nullopt);
}
