// File names that are not UTF-8 survive the trip into a QString and back.
#include "platform/files/FileNames.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace tavero;

TEST(FileNames, BytesThatAreNotUtf8ComeBackUnchanged) {
    const QByteArray names[] = {
        "\xff\xfe.png",                      // bytes that never start UTF-8
        "\xc0\xaf.png",                      // an overlong "/"
        "\xed\xa0\x80.png",                  // an encoded surrogate
        "\xe5\x9b\xbe.png\xe5\x9b",          // a character cut short at the end
        "\xf4\x90\x80\x80.png",              // beyond U+10FFFF
        "\xb4\xf3\xbf\xd5.png",              // GBK
        "\xf0\x90\x82\x80\xff",              // U+10080, whose low surrogate is DC80, then a lone byte
    };
    for (const QByteArray& name : names) {
        const QString decoded = fileNameFromNative(name);
        EXPECT_EQ(nativeFileName(decoded), name) << name.toHex().toStdString();
    }
    const QByteArray utf8 = QStringLiteral("截图 ✂️ 𝄞.png").toUtf8();
    EXPECT_EQ(fileNameFromNative(utf8), QString::fromUtf8(utf8)) << "UTF-8 reads as Qt reads it";
    EXPECT_EQ(nativeFileName(QString::fromUtf8(utf8)), utf8);
}

TEST(FileNames, RelativeNamesStartInTheWorkingFolder) {
    EXPECT_EQ(absoluteFileName(QStringLiteral("/a/./b/../c.png")), QStringLiteral("/a/c.png"));
    EXPECT_EQ(absoluteFileName(QStringLiteral("c.png")), QDir::current().filePath(QStringLiteral("c.png")));
}
