#include "platform/files/RegularFile.h"
#include "platform/files/RegularFileStream.h"
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

QByteArray readAll(RegularFileStream& stream) {
    QByteArray bytes;
    for (const char byte : stream) bytes.append(byte);
    return bytes;
}

// A streamed read takes the same files, block after block, and ends early,
// as failed, when the file grows beyond the cap while it is read.
TEST(RegularFile, AStreamReadsOnlyRegularFilesWithinTheCap) {
    test::TempDir dir;
    const QString fifo = dir.file(QStringLiteral("fifo.vistagon"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString endless = dir.file(QStringLiteral("zero.vistagon"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), endless));
    for (const QString& path : {fifo, endless, dir.path(), dir.file(QStringLiteral("missing"))}) {
        RegularFileStream stream(path, qint64(1) << 30);
        EXPECT_FALSE(stream.isOpen()) << path.toStdString();
        EXPECT_EQ(stream.begin(), stream.end());
    }

    QByteArray content;
    for (int index = 0; index < 50'000; ++index) content += QByteArray::number(index) + ',';
    const QString file = dir.file(QStringLiteral("工程.vistagon"));
    test::writeFile(file, content);
    EXPECT_FALSE(RegularFileStream(file, content.size() - 1).isOpen()) << "one byte over the cap";
    RegularFileStream whole(file, content.size());
    EXPECT_EQ(readAll(whole), content) << "across blocks";
    EXPECT_FALSE(whole.failed());

    RegularFileStream growing(file, content.size() + 10);
    QFile more(file);
    ASSERT_TRUE(more.open(QIODevice::Append));
    ASSERT_EQ(more.write(content), content.size());
    more.close();
    EXPECT_LE(readAll(growing).size(), content.size() + 10);
    EXPECT_TRUE(growing.failed());
}

}  // namespace
