// Only the program's own switches are switches; "--" ends them.
#include "app/CommandLine.h"
#include "platform/files/FileNames.h"

#include <gtest/gtest.h>

using namespace tavero;

namespace {

CommandLine parse(std::initializer_list<const char*> arguments) {
    QList<QByteArray> list;
    for (const char* argument : arguments) list.append(QByteArray(argument));
    return CommandLine::parse(list);
}

}  // namespace

TEST(CommandLine, OnlyTheProgramsOwnSwitchesAreSwitchesAndTwoDashesEndThem) {
    struct Case {
        std::initializer_list<const char*> arguments;
        QStringList given;
        QStringList files;
    };
    const Case cases[] = {
        {{"--demo", "截图.png"}, {QStringLiteral("--demo")}, {QStringLiteral("截图.png")}},
        {{"-dash.png", "--unknown"}, {}, {QStringLiteral("-dash.png"), QStringLiteral("--unknown")}},
        {{"--", "--demo", "-x.png", "--"}, {}, {QStringLiteral("--demo"), QStringLiteral("-x.png"), QStringLiteral("--")}},
        {{"--self-test", "--", "--self-test"}, {QStringLiteral("--self-test")}, {QStringLiteral("--self-test")}},
        {{"--DEMO", "-demo", ""}, {}, {QStringLiteral("--DEMO"), QStringLiteral("-demo")}},
    };
    for (const Case& c : cases) {
        const CommandLine line = parse(c.arguments);
        EXPECT_EQ(line.given, c.given) << c.files.join(' ').toStdString();
        EXPECT_EQ(line.files, c.files) << c.files.join(' ').toStdString();
    }

    const CommandLine raw = parse({"\xff\xfe.png"});
    ASSERT_EQ(raw.files.size(), 1);
    EXPECT_EQ(nativeFileName(raw.files.first()), QByteArray("\xff\xfe.png")) << "the name keeps its bytes";

    char program[] = "tavero", one[] = "-a.png", dashes[] = "--", two[] = "-platform";
    char* argv[] = {program, one, dashes, two};
    EXPECT_EQ(CommandLine::optionCount(4, argv), 2) << "Qt reads its options only before \"--\"";
    EXPECT_EQ(CommandLine::optionCount(2, argv), 2);
}
