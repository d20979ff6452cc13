#include "platform/AtomicFile.h"
#include "tests/support/Files.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace tavero;

TEST(AtomicFile, ReplacesTheWholeFile) {
    test::TempDir dir;
    const QString path = dir.file(QStringLiteral("index.json"));
    ASSERT_TRUE(writeFileAtomically(path, "first version, longer"));
    ASSERT_TRUE(writeFileAtomically(path, "second"));
    EXPECT_EQ(test::readFile(path), QByteArray("second"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("index.json")})
        << "no temporary file is left behind";
}

TEST(AtomicFile, FailureLeavesTheEarlierFileAlone) {
    test::TempDir dir;
    const QString path = dir.file(QStringLiteral("kept.txt"));
    ASSERT_TRUE(writeFileAtomically(path, "kept"));
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    const bool wrote = writeFileAtomically(path, "lost");
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (geteuid() != 0) {  // root may write into a read-only folder
        EXPECT_FALSE(wrote);
        EXPECT_EQ(test::readFile(path), QByteArray("kept"));
    }
    EXPECT_FALSE(writeFileAtomically(dir.file(QStringLiteral("missing/folder/file")), "x"));
}
