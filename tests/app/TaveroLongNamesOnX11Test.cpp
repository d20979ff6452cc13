// The program given a name of 40,000 characters, as a command line can hold
// one: the alert once held the whole of it, and a video's name, cut wrongly,
// made it taken for a picture.
#include "platform/files/FileNames.h"
#include "tests/app/ProgramUnderScreenReader.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace tavero;

namespace {

class TaveroLongNamesOnX11Test : public test::ProgramUnderScreenReader {};

TEST_F(TaveroLongNamesOnX11Test, ANameOfFortyThousandCharactersIsToldByItsEndsAndOpensAsItsKind) {
    const auto longName = [](const QString& suffix) {
        return QStringLiteral("开头") + QString(40'000 - 4 - suffix.size(), u'长') + QStringLiteral("结尾") + suffix;
    };
    const QString project = longName(QStringLiteral(".vistagon"));
    // A video of that name has no picture to show, and says so.
    const std::pair<QString, QString> cases[] = {
        {project, QStringLiteral("未能读取文件“") + shownFileName(project) + QStringLiteral("”。")},
        {longName(QStringLiteral(".mp4")), QStringLiteral("该视频的画面无法读取。")},
    };
    for (const auto& [name, said] : cases) {
        ASSERT_NO_FATAL_FAILURE(start({home.path() + QLatin1Char('/') + name}));
        EXPECT_TRUE(QTest::qWaitFor([&] { return reader.shows(QStringLiteral("label"), said); }, 30'000))
            << said.left(12).toStdString();
        program.kill();
        program.waitForFinished(5000);
    }
}

}  // namespace
