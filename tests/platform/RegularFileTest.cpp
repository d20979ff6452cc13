#include "platform/RegularFile.h"
#include "tests/support/Files.h"
#include "tests/support/TempDir.h"

#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace tavero;

namespace {

// Each of these would block a reader for good or feed it without end; none
// may get past the open.
TEST(RegularFile, OnlyRegularFilesWithinTheCapAreRead) {
    test::TempDir dir;
    const QString regular = dir.file(QStringLiteral("图片.png"));
    test::writeFile(regular, "0123456789");
    const QString fifo = dir.file(QStringLiteral("fifo.png"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString endless = dir.file(QStringLiteral("zero.vistagon"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), endless));
    const QString linked = dir.file(QStringLiteral("linked.png"));
    ASSERT_TRUE(QFile::link(regular, linked));

    EXPECT_EQ(readRegularFile(regular, 10), QByteArray("0123456789"));
    EXPECT_EQ(readRegularFile(regular, 9), std::nullopt) << "one byte over the cap";
    EXPECT_EQ(readRegularFile(linked, 10), QByteArray("0123456789")) << "a link to a file is followed";
    EXPECT_EQ(readRegularFile(linked, 10, LinkRule::refuse), std::nullopt);
    for (const QString& path : {fifo, endless, dir.path(), dir.file(QStringLiteral("missing"))}) {
        EXPECT_EQ(readRegularFile(path, qint64(1) << 30), std::nullopt) << path.toStdString();
        QFile file;
        EXPECT_FALSE(openRegularFile(file, path)) << path.toStdString();
        EXPECT_FALSE(file.isOpen());
    }

    QFile file;
    ASSERT_TRUE(openRegularFile(file, linked));
    EXPECT_EQ(file.readAll(), QByteArray("0123456789"));
}

}  // namespace
