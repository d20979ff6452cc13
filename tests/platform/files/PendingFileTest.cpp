#include "platform/files/PendingFile.h"
#include "tests/support/Files.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace tavero;

namespace {

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

}  // namespace

TEST(PendingFileTest, WritesUnderAHiddenNameAndPublishesUnderTheFinalOne) {
    test::TempDir dir;
    const QString destination = dir.file(QStringLiteral("裁剪录屏_1.mp4"));
    auto pending = PendingFile::reserve(destination);
    ASSERT_TRUE(pending);
    const QFileInfo temporary(pending->temporaryPath());
    EXPECT_EQ(temporary.path(), dir.path());
    EXPECT_TRUE(temporary.fileName().startsWith(QStringLiteral(".裁剪录屏_1-")));
    EXPECT_EQ(temporary.suffix(), QStringLiteral("mp4"));
    EXPECT_NE(PendingFile::reserve(destination)->temporaryPath(), pending->temporaryPath());
    test::writeFile(pending->temporaryPath(), "video");
    EXPECT_FALSE(QFileInfo::exists(destination));

    EXPECT_EQ(pending->publish(), PublishResult::Published);
    pending.reset();
    EXPECT_EQ(test::readFile(destination), QByteArray("video"));
    EXPECT_EQ(entries(dir.path()), QStringList{QStringLiteral("裁剪录屏_1.mp4")});
}

TEST(PendingFileTest, NeverReplacesAFileAndLeavesNoTemporaryFileAfterAFailure) {
    test::TempDir dir;
    const QString destination = dir.file(QStringLiteral("动图_1.gif"));
    test::writeFile(destination, "earlier");
    {
        auto pending = PendingFile::reserve(destination);
        ASSERT_TRUE(pending);
        test::writeFile(pending->temporaryPath(), "later");
        EXPECT_EQ(pending->publish(), PublishResult::DestinationExists);
    }
    {
        auto abandoned = PendingFile::reserve(dir.file(QStringLiteral("动图_2.gif")));
        ASSERT_TRUE(abandoned);
        test::writeFile(abandoned->temporaryPath(), "half");
    }
    {
        auto vanished = PendingFile::reserve(dir.file(QStringLiteral("动图_3.gif")));
        ASSERT_TRUE(vanished);
        QFile::remove(vanished->temporaryPath());
        EXPECT_EQ(vanished->publish(), PublishResult::Failed);
    }
    EXPECT_EQ(test::readFile(destination), QByteArray("earlier"));
    EXPECT_EQ(entries(dir.path()), QStringList{QStringLiteral("动图_1.gif")});
    EXPECT_FALSE(PendingFile::reserve(dir.file(QStringLiteral("missing/动图_4.gif"))));
}
