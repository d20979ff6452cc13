#include "platform/files/FreeSpace.h"
#include "recording/RecordingDiskSpace.h"
#include "tests/support/TempDir.h"

#include <QFile>
#include <QLocale>
#include <QProcess>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <limits>

using namespace tavero;

namespace {

QString startRefusal(const QString& label) {
    return QStringLiteral("可用空间仅 ") + label + QStringLiteral("。请先腾出至少 3 GB 空间再录制，以免系统中断录屏。");
}

QString exportRefusal(const QString& need, const QString& free) {
    return QStringLiteral("原片已保存。生成成片建议保留 ") + need + QStringLiteral(" 空间，目前只有 ") + free
           + QStringLiteral("；腾出空间后可重新生成。");
}

}  // namespace

TEST(RecordingDiskSpaceTest, StartsFromThreeAndStopsBelowTwoDecimalGigabytes) {
    EXPECT_EQ(RecordingDiskSpace::startIssue(3'000'000'000), std::nullopt);
    EXPECT_EQ(RecordingDiskSpace::startIssue(2'999'999'999), startRefusal(QStringLiteral("3.0 GB")));
    EXPECT_EQ(RecordingDiskSpace::startIssue(1'234'567'890), startRefusal(QStringLiteral("1.2 GB")));
    EXPECT_FALSE(RecordingDiskSpace::shouldStop(2'000'000'000));
    EXPECT_TRUE(RecordingDiskSpace::shouldStop(1'999'999'999));
    EXPECT_TRUE(RecordingDiskSpace::shouldStop(0));

    EXPECT_EQ(RecordingDiskSpace::startIssue(std::nullopt), std::nullopt);
    EXPECT_FALSE(RecordingDiskSpace::shouldStop(std::nullopt));
    EXPECT_EQ(RecordingDiskSpace::exportIssue(std::nullopt, 1'000'000'000), std::nullopt);
}

TEST(RecordingDiskSpaceTest, ARenderNeedsThreeTimesItsSourcePlusThreeGigabytes) {
    EXPECT_EQ(RecordingDiskSpace::exportIssue(6'000'000'000, 1'000'000'000), std::nullopt);
    EXPECT_EQ(RecordingDiskSpace::exportIssue(5'999'999'999, 1'000'000'000),
              exportRefusal(QStringLiteral("6.0 GB"), QStringLiteral("6.0 GB")));
    EXPECT_EQ(RecordingDiskSpace::exportIssue(3'000'000'000, -5), std::nullopt);
    EXPECT_EQ(RecordingDiskSpace::exportIssue(2'999'999'999, -5),
              exportRefusal(QStringLiteral("3.0 GB"), QStringLiteral("3.0 GB")));
    // A source too large to triple never overflows into a small need.
    EXPECT_NE(RecordingDiskSpace::exportIssue(10'000'000'000, std::numeric_limits<qint64>::max() / 2), std::nullopt);
}

TEST(RecordingDiskSpaceTest, LabelsUseAPointWhateverTheLocale) {
    // The German locale, built for this test where the system lacks it.
    test::TempDir locales;
    QProcess localedef;
    localedef.start(QStringLiteral("localedef"),
                    {QStringLiteral("-i"), QStringLiteral("de_DE"), QStringLiteral("-f"), QStringLiteral("UTF-8"),
                     locales.file(QStringLiteral("de_DE.UTF-8"))});
    ASSERT_TRUE(localedef.waitForFinished(60'000)) << "localedef did not finish";
    const QByteArray savedPath = qgetenv("LOCPATH");
    qputenv("LOCPATH", QFile::encodeName(locales.path()));
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    const bool german = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));

    char decimal[16] = {};
    std::snprintf(decimal, sizeof decimal, "%.1f", 3.0);
    EXPECT_TRUE(german && decimal == std::string("3,0")) << "no German locale to test under";
    EXPECT_EQ(RecordingDiskSpace::label(2'999'999'999), QStringLiteral("3.0 GB"));
    EXPECT_EQ(RecordingDiskSpace::label(0), QStringLiteral("0.0 GB"));

    QLocale::setDefault(saved);
    std::setlocale(LC_NUMERIC, previous.c_str());
    if (savedPath.isNull()) qunsetenv("LOCPATH");
    else qputenv("LOCPATH", savedPath);
}

TEST(RecordingDiskSpaceTest, MeasuresTheFolderThatWillReceiveTheFile) {
    QString asked;
    FreeSpace::ScopedProbe probe([&](const QString& path) {
        asked = path;
        return std::optional<qint64>(7);
    });
    EXPECT_EQ(RecordingDiskSpace::available(QStringLiteral("/no-such-folder/录制片段_录屏/片段_001.mp4")), 7);
    EXPECT_EQ(asked, QStringLiteral("/"));
}
