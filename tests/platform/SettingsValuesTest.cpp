#include "platform/SettingsValues.h"
#include "tests/support/Files.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

using namespace tavero;

namespace {

// An INI file as the program's settings are stored on Linux.
class SettingsValuesTest : public testing::Test {
protected:
    test::TempDir folder;
    QString path = folder.file(QStringLiteral("settings.ini"));

    QSettings settings() const { return QSettings(path, QSettings::IniFormat); }
};

TEST_F(SettingsValuesTest, BooleansReadBackAsWrittenAndOtherTextIsNone) {
    {
        QSettings writer(path, QSettings::IniFormat);
        writer.setValue(QStringLiteral("on"), true);
        writer.setValue(QStringLiteral("off"), false);
    }
    EXPECT_EQ(SettingsValues::readBool(settings(), QStringLiteral("on")), true);
    EXPECT_EQ(SettingsValues::readBool(settings(), QStringLiteral("off")), false) << "a stored false is not absent";

    test::writeFile(path, "[General]\nyes=yes\none=1\nupper=TRUE\nempty=\n");
    const QSettings reader = settings();
    for (const char* key : {"yes", "one", "upper", "empty", "missing"})
        EXPECT_EQ(SettingsValues::readBool(reader, QString::fromLatin1(key)), std::nullopt) << key;
}

TEST_F(SettingsValuesTest, NumbersReadBackAsWrittenAndTextThatIsNoNumberInTheCLocaleIsNone) {
    {
        QSettings writer(path, QSettings::IniFormat);
        writer.setValue(QStringLiteral("double"), 0.65);
        writer.setValue(QStringLiteral("integer"), -3);
    }
    EXPECT_EQ(SettingsValues::readNumber(settings(), QStringLiteral("double")), 0.65);
    EXPECT_EQ(SettingsValues::readNumber(settings(), QStringLiteral("integer")), -3);

    test::writeFile(path, "[General]\ncomma=\"0,65\"\nword=much\ninfinite=inf\n");
    const QSettings reader = settings();
    for (const char* key : {"comma", "word", "infinite", "missing"})
        EXPECT_EQ(SettingsValues::readNumber(reader, QString::fromLatin1(key)), std::nullopt) << key;
}

}  // namespace
