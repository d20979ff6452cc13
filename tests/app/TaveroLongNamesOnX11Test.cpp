// The program given a name longer than any a file can have, as a command
// line can hold one: a project's name is shortened in what the user reads,
// and a video's, cut wrongly once, made it taken for a picture.
#include "platform/files/FileNames.h"
#include "tests/app/ProgramUnderScreenReader.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace tavero;

namespace {

class TaveroLongNamesOnX11Test : public test::ProgramUnderScreenReader {};

TEST_F(TaveroLongNamesOnX11Test, ANameOfFortyThousandCharactersIsToldByItsEndsAndOpensAsItsKind) {
    const QString label = QStringLiteral("label");
    const auto longName = [](const char* suffix) {
        const QString tail = QStringLiteral("结尾") + QLatin1String(suffix);
        return QStringLiteral("开头") + QString(40'000 - 2 - tail.size(), u'长') + tail;
    };
    const QString project = longName(".vistagon");
    const QString video = longName(".mp4");
    ASSERT_EQ(project.size(), 40'000);

    ASSERT_NO_FATAL_FAILURE(start({home.path() + QLatin1Char('/') + project}));
    const QString refused = QStringLiteral("未能读取文件“") + shownFileName(project) + QStringLiteral("”。");
    EXPECT_TRUE(QTest::qWaitFor([&] { return reader.shows(label, refused); }, 30'000)) << "the alert names it shortly";
    program.kill();
    program.waitForFinished(5000);

    ASSERT_NO_FATAL_FAILURE(start({home.path() + QLatin1Char('/') + video}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return reader.shows(label, QStringLiteral("该视频的画面无法读取。")); }, 30'000))
        << "it opens as a video, which has no picture to show";
    EXPECT_TRUE(reader.shows(pushButton, QStringLiteral("返回图片"))) << "in the video workspace";
}

}  // namespace
