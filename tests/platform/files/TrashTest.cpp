#include "platform/files/Trash.h"
#include "tests/support/Files.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace tavero;

namespace {

// Runs the test with a working directory of its own, where a stray Trash
// would show.
class TrashTest : public testing::Test {
protected:
    TrashTest() : previous(QDir::currentPath()) { QDir::setCurrent(workingDir.path()); }
    ~TrashTest() override { QDir::setCurrent(previous); }

    bool workingDirIsEmpty() const { return QDir(workingDir.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot); }

    test::TempHome home;
    test::TempDir workingDir;
    QString previous;
};

}  // namespace

TEST_F(TrashTest, MovesIntoTheHomeTrashEvenWhenItsDataFolderIsMissing) {
    ASSERT_FALSE(QFileInfo::exists(home.path() + QStringLiteral("/.local/share")));
    const QString picture = home.desktop() + QStringLiteral("/截图.png");
    test::writeFile(picture, "kept");
    EXPECT_TRUE(moveToTrash(picture));
    EXPECT_FALSE(QFileInfo::exists(picture));
    EXPECT_TRUE(QFileInfo::exists(home.path() + QStringLiteral("/.local/share/Trash/files/截图.png")));
    EXPECT_TRUE(QFileInfo::exists(home.path() + QStringLiteral("/.local/share/Trash/info/截图.png.trashinfo")));
    EXPECT_TRUE(workingDirIsEmpty());
}

TEST_F(TrashTest, LeavesTheItemInPlaceWhenTheTrashCannotBeMade) {
    QDir().mkpath(home.path() + QStringLiteral("/.local/share"));
    test::writeFile(home.path() + QStringLiteral("/.local/share/Trash"), "kept");
    const QString picture = home.desktop() + QStringLiteral("/截图.png");
    test::writeFile(picture, "kept");
    EXPECT_FALSE(moveToTrash(picture));
    EXPECT_TRUE(QFileInfo::exists(picture));
    EXPECT_TRUE(workingDirIsEmpty()) << "nothing lands beside the working directory";
}
