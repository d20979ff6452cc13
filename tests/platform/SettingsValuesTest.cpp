#include "platform/SettingsValues.h"
#include "tests/support/TempDir.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace tavero;

namespace {

// An INI file as the program's settings are stored on Linux.
class SettingsValuesTest : public testing::Test {
protected:
    test::TempDir folder;
    QString path = folder.file(QStringLiteral("settings.ini"));

    void writeFile(const QByteArray& text) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    QSettings settings() const { return QSettings(path, QSettings::IniFormat); }
};

TEST_F(SettingsValuesTest, BooleansWrittenByTheProgramReadBackAsBooleans) {
    {
        QSettings writer(path, QSettings::IniFormat);
        writer.setValue(QStringLiteral("on"), true);
        writer.setValue(QStringLiteral("off"), false);
    }
    const QSettings reader(path, QSettings::IniFormat);
    EXPECT_EQ(SettingsValues::readBool(reader, QStringLiteral("on")), true);
    EXPECT_EQ(SettingsValues::readBool(reader, QStringLiteral("off")), false) << "a stored false is not absent";
    EXPECT_EQ(SettingsValues::readBool(reader, QStringLiteral("missing")), std::nullopt);
}

TEST_F(SettingsValuesTest, TextThatIsNoBooleanIsNone) {
    writeFile("[General]\nyes=yes\none=1\nupper=TRUE\nempty=\n");
    const QSettings reader = settings();
    for (const char* key : {"yes", "one", "upper", "empty"})
        EXPECT_EQ(SettingsValues::readBool(reader, QString::fromLatin1(key)), std::nullopt) << key;
}

TEST_F(SettingsValuesTest, NumbersWrittenByTheProgramReadBackAsNumbers) {
    {
        QSettings writer(path, QSettings::IniFormat);
        writer.setValue(QStringLiteral("double"), 0.65);
        writer.setValue(QStringLiteral("integer"), -3);
    }
    const QSettings reader(path, QSettings::IniFormat);
    EXPECT_EQ(SettingsValues::readNumber(reader, QStringLiteral("double")), 0.65);
    EXPECT_EQ(SettingsValues::readNumber(reader, QStringLiteral("integer")), -3);
}

TEST_F(SettingsValuesTest, TextThatIsNoNumberInTheCLocaleIsNone) {
    writeFile("[General]\ncomma=\"0,65\"\nword=much\ninfinite=inf\n");
    const QSettings reader = settings();
    for (const char* key : {"comma", "word", "infinite", "missing"})
        EXPECT_EQ(SettingsValues::readNumber(reader, QString::fromLatin1(key)), std::nullopt) << key;
}

}  // namespace
