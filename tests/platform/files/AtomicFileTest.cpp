#include "platform/files/AtomicFile.h"
#include "tests/support/Disks.h"
#include "tests/support/Files.h"
#include "tests/support/SkipUnlessRequired.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace tavero;

namespace {

QStringList everythingIn(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

TEST(AtomicFile, ReplacesTheWholeFileKeepingItsPermissions) {
    test::TempDir dir;
    const QString path = dir.file(QStringLiteral("index.json"));
    ASSERT_TRUE(writeFileAtomically(path, "first version, longer"));
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
    ASSERT_TRUE(writeFileAtomically(path, "second"));
    EXPECT_EQ(test::readFile(path), QByteArray("second"));
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
    EXPECT_FALSE(QFile::permissions(path) & others) << "a private file stays private";
    EXPECT_EQ(everythingIn(dir.path()), QStringList{QStringLiteral("index.json")}) << "no temporary file is left behind";
}

TEST(AtomicFile, FailureLeavesTheEarlierFileAlone) {
    test::TempDir dir;
    const QString path = dir.file(QStringLiteral("kept.txt"));
    ASSERT_TRUE(writeFileAtomically(path, "kept"));
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    const bool wrote = bool(writeFileAtomically(path, "lost"));
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (geteuid() != 0) {  // root may write into a read-only folder
        EXPECT_FALSE(wrote);
        EXPECT_EQ(test::readFile(path), QByteArray("kept"));
    }
    const FileWrite missing = writeFileAtomically(dir.file(QStringLiteral("missing/folder/file")), "x");
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing.sentence(QStringLiteral("未能存储文件“file”。")), QStringLiteral("未能存储文件“file”。"));
}

// The write that runs out of room is cut short at a chosen byte; the file it
// was to replace must come through whole, and no part of the new one stay.
TEST(AtomicFile, AWriteCutShortKeepsTheEarlierFileAndLeavesNothingBehind) {
    test::TempDir dir;
    const QString path = dir.file(QStringLiteral("index.json"));
    ASSERT_TRUE(writeFileAtomically(path, "[\"the history\"]"));
    const QByteArray longer(5000, 'x');
    for (const qint64 limit : {0, 1, 4096, 4999}) {
        const test::FileSizeLimit full(limit);
        EXPECT_FALSE(writeFileAtomically(path, longer)) << limit;
    }
    EXPECT_EQ(test::readFile(path), QByteArray("[\"the history\"]"));
    EXPECT_EQ(everythingIn(dir.path()), QStringList{QStringLiteral("index.json")});
    const test::FileSizeLimit exact(5000);
    EXPECT_TRUE(writeFileAtomically(path, longer)) << "every byte fits";
    EXPECT_EQ(test::readFile(path), longer);
}

TEST(AtomicFile, AFullDiskSaysSoAndKeepsTheEarlierFile) {
    const test::SmallDisk disk(64 * 1024);
    if (!disk.mounted()) TAVERO_SKIP_UNLESS_REQUIRED("mounting a small file system needs root");
    const QString path = disk.path() + QStringLiteral("/截图.png");
    ASSERT_TRUE(writeFileAtomically(path, QByteArray(20 * 1024, 'a')));
    const FileWrite written = writeFileAtomically(path, QByteArray(60 * 1024, 'b'));
    EXPECT_FALSE(written);
    EXPECT_EQ(written.outcome(), FileWrite::Outcome::noSpace);
    EXPECT_EQ(written.sentence(QStringLiteral("未能存储文件“截图.png”。")), QStringLiteral("磁盘空间不足，无法保存。"));
    EXPECT_EQ(test::readFile(path), QByteArray(20 * 1024, 'a'));
    EXPECT_EQ(everythingIn(disk.path()), QStringList{QStringLiteral("截图.png")});
}

TEST(AtomicFile, ALinkInThePlaceOfTheFileIsReplacedNotFollowed) {
    test::TempDir dir;
    const QString outside = dir.file(QStringLiteral("outside.txt"));
    test::writeFile(outside, "someone else's");
    const QString path = dir.file(QStringLiteral("index.json"));
    ASSERT_TRUE(QFile::link(outside, path));
    ASSERT_TRUE(writeFileAtomically(path, "ours"));
    EXPECT_EQ(test::readFile(outside), QByteArray("someone else's"));
    EXPECT_FALSE(QFileInfo(path).isSymLink());
    EXPECT_EQ(test::readFile(path), QByteArray("ours"));
}

}  // namespace
