#include "platform/files/FileMove.h"
#include "tests/support/Disks.h"
#include "tests/support/Files.h"
#include "tests/support/SkipUnlessRequired.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace tavero;

TEST(FileMoveTest, MovesFilesAndFoldersWithinAVolume) {
    test::TempDir dir;
    test::writeFile(dir.file(QStringLiteral("片段.mp4")), "bytes");
    QDir().mkpath(dir.file(QStringLiteral("folder/inner")));
    EXPECT_TRUE(renameInPlace(dir.file(QStringLiteral("片段.mp4")), dir.file(QStringLiteral("folder/片段.mp4"))));
    EXPECT_TRUE(renameInPlace(dir.file(QStringLiteral("folder")), dir.file(QStringLiteral("moved"))));
    EXPECT_EQ(test::readFile(dir.file(QStringLiteral("moved/片段.mp4"))), QByteArray("bytes"));
    EXPECT_TRUE(QFileInfo(dir.file(QStringLiteral("moved/inner"))).isDir());
}

TEST(FileMoveTest, NeverReplacesAnExistingItem) {
    test::TempDir dir;
    test::writeFile(dir.file(QStringLiteral("a")), "new");
    test::writeFile(dir.file(QStringLiteral("b")), "kept");
    EXPECT_FALSE(renameInPlace(dir.file(QStringLiteral("a")), dir.file(QStringLiteral("b"))));
    EXPECT_EQ(test::readFile(dir.file(QStringLiteral("a"))), QByteArray("new"));
    EXPECT_EQ(test::readFile(dir.file(QStringLiteral("b"))), QByteArray("kept"));
    EXPECT_FALSE(renameInPlace(dir.file(QStringLiteral("missing")), dir.file(QStringLiteral("c"))));
}

TEST(FileMoveTest, RefusesToCopyAcrossVolumes) {
    test::TempDir dir;
    // A volume of the test's own where it may mount, else /dev/shm where that is one.
    const test::SmallDisk own(1024 * 1024);
    const QString other = own.mounted() ? own.path() : QStringLiteral("/dev/shm");
    if (!QFileInfo(other).isWritable() || QStorageInfo(other).device() == QStorageInfo(dir.path()).device())
        TAVERO_SKIP_UNLESS_REQUIRED("no second writable volume");
    const QString source = dir.file(QStringLiteral("片段.mp4"));
    test::writeFile(source, "bytes");
    const QString target = other + QStringLiteral("/tavero-file-move-") + QFileInfo(dir.path()).fileName();
    EXPECT_FALSE(renameInPlace(source, target));
    EXPECT_EQ(test::readFile(source), QByteArray("bytes"));
    EXPECT_FALSE(QFileInfo::exists(target));
}

// The manifest's rescue: whatever lies at the name is kept under a free name
// without being read or followed, and the old name can then be replaced.
TEST(FileMoveTest, KeepAsideGivesAFileALinkOrAFifoAFreeSecondName) {
    test::TempDir dir;
    const QString file = dir.file(QStringLiteral("index.json"));
    test::writeFile(file, "history");
    test::writeFile(dir.file(QStringLiteral("aside")), "taken");
    EXPECT_EQ(keepAside(file, dir.file(QStringLiteral("aside"))), dir.file(QStringLiteral("aside-2")));
    EXPECT_EQ(test::readFile(dir.file(QStringLiteral("aside-2"))), QByteArray("history"));
    EXPECT_EQ(test::readFile(dir.file(QStringLiteral("aside"))), QByteArray("taken"));

    const QString outside = dir.file(QStringLiteral("outside"));
    test::writeFile(outside, "someone else's");
    const QString link = dir.file(QStringLiteral("link.json"));
    ASSERT_TRUE(QFile::link(outside, link));
    ASSERT_EQ(keepAside(link, dir.file(QStringLiteral("link-aside"))), dir.file(QStringLiteral("link-aside")));
    EXPECT_EQ(QFileInfo(dir.file(QStringLiteral("link-aside"))).symLinkTarget(), outside);

    const QString fifo = dir.file(QStringLiteral("fifo.json"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_TRUE(keepAside(fifo, dir.file(QStringLiteral("fifo-aside"))).has_value());
    EXPECT_EQ(keepAside(dir.file(QStringLiteral("missing")), dir.file(QStringLiteral("x"))), std::nullopt);
}
