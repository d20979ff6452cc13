#include "platform/media/WriteBehindFile.h"
#include "tests/support/Files.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

using namespace tavero;

TEST(WriteBehindFileTest, KeepsWhatIsWrittenAndNothingOfWhatWasThereBefore) {
    test::TempDir dir;
    const QString path = dir.file(QStringLiteral("录屏.mp4"));
    test::writeFile(path, QByteArray(40 << 20, 'x'));

    AVIOContext* io = media::openWriteBehindFile(path);
    ASSERT_NE(io, nullptr);
    QByteArray expected;
    // Twenty megabytes: write-back is started twice on the way.
    for (int block = 0; block < 20; ++block) {
        const QByteArray bytes(1 << 20, char('a' + block));
        avio_write(io, reinterpret_cast<const unsigned char*>(bytes.constData()), int(bytes.size()));
        expected += bytes;
    }
    EXPECT_EQ(avio_tell(io), 20 << 20);
    EXPECT_EQ(avio_seek(io, 4, SEEK_SET), 4);
    avio_write(io, reinterpret_cast<const unsigned char*>("head"), 4);
    expected.replace(4, 4, "head");
    EXPECT_EQ(avio_size(io), 20 << 20);
    EXPECT_EQ(io->error, 0);
    media::closeWriteBehindFile(io);
    EXPECT_EQ(test::readFile(path), expected);
}
