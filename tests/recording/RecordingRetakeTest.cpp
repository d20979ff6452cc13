#include "library/LibraryMessages.h"
#include "platform/ShotError.h"
#include "recording/RecordingRetake.h"
#include "tests/support/Files.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <stdexcept>

using namespace tavero;

namespace {

const QByteArray takeBytes = QByteArray("synthetic take fixture\0\xFF\x01", 25);

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

QString errorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const ShotError& error) {
        return error.message();
    }
    return {};
}

// A take in a library folder of a temporary home, with its sidecar and its
// background still beside it.
class RecordingRetakeTest : public testing::Test {
protected:
    RecordingRetakeTest() {
        QDir().mkpath(folder);
        test::writeFile(clip, takeBytes);
        test::writeFile(sidecar, R"({"version":1,"sourceFile":"录屏_1.mp4"})");
        test::writeFile(backdrop, "backdrop pixels");
    }

    QString trashFiles() const { return home.path() + QStringLiteral("/.local/share/Trash/files"); }
    QString trashInfo() const { return home.path() + QStringLiteral("/.local/share/Trash/info"); }

    // A Trash that cannot be set up: a plain file where its folder belongs.
    void blockTrash() {
        QDir().mkpath(home.path() + QStringLiteral("/.local/share"));
        test::writeFile(home.path() + QStringLiteral("/.local/share/Trash"), "not a folder");
    }

    void expectTakeInPlace() {
        EXPECT_EQ(test::readFile(clip), takeBytes);
        EXPECT_EQ(test::readFile(sidecar), QByteArray(R"({"version":1,"sourceFile":"录屏_1.mp4"})"));
        EXPECT_EQ(test::readFile(backdrop), QByteArray("backdrop pixels"));
        EXPECT_EQ(entries(folder), (QStringList{QStringLiteral("录屏_1.mp4"), QStringLiteral("录屏_1.png"),
                                                QStringLiteral("录屏_1.recording.json")}));
    }

    test::TempHome home;
    const QString folder = home.desktop() + QStringLiteral("/岚帧");
    const QString clip = folder + QStringLiteral("/录屏_1.mp4");
    const QString sidecar = folder + QStringLiteral("/录屏_1.recording.json");
    const QString backdrop = folder + QStringLiteral("/录屏_1.png");
    const QString archived = folder + QStringLiteral("/重录片段_录屏_1");
};

}  // namespace

TEST_F(RecordingRetakeTest, NamesTheFolderAfterTheClipWithoutItsExtension) {
    EXPECT_EQ(RecordingRetake::archiveFolder(clip), archived);
    EXPECT_EQ(RecordingRetake::archiveFolder(folder + QStringLiteral("/a.b.mov")),
              folder + QStringLiteral("/重录片段_a.b"));
}

TEST_F(RecordingRetakeTest, PutsTheTakeIntoTheHomeTrashAsOneFolderWithUnchangedBytes) {
    RecordingRetake::archive(clip, {sidecar, backdrop});

    EXPECT_TRUE(entries(folder).isEmpty()) << "nothing of the take is left beside it";
    const QString inTrash = trashFiles() + QStringLiteral("/重录片段_录屏_1");
    EXPECT_EQ(entries(inTrash), (QStringList{QStringLiteral("录屏_1.mp4"), QStringLiteral("录屏_1.png"),
                                             QStringLiteral("录屏_1.recording.json")}));
    EXPECT_EQ(test::readFile(inTrash + QStringLiteral("/录屏_1.mp4")), takeBytes);
    const QByteArray info = test::readFile(trashInfo() + QStringLiteral("/重录片段_录屏_1.trashinfo"));
    EXPECT_TRUE(info.startsWith("[Trash Info]\n")) << info.toStdString();
    EXPECT_TRUE(info.contains("Path=")) << info.toStdString();
}

TEST_F(RecordingRetakeTest, SkipsMissingCompanionsAndMovesTheClipOnlyOnce) {
    QString recycled;
    RecordingRetake::archive(
        clip, {clip, folder + QStringLiteral("/never-written.json"), sidecar, sidecar}, [&](const QString& path) {
            recycled = path;
            EXPECT_EQ(entries(path),
                      (QStringList{QStringLiteral("录屏_1.mp4"), QStringLiteral("录屏_1.recording.json")}));
        });
    EXPECT_EQ(recycled, archived);
    EXPECT_EQ(entries(folder), (QStringList{QStringLiteral("录屏_1.png"), QStringLiteral("重录片段_录屏_1")}));
}

TEST_F(RecordingRetakeTest, ARefusedTrashBringsEverythingBackAndRemovesTheEmptyFolder) {
    blockTrash();
    const QString error = errorOf([&] { RecordingRetake::archive(clip, {sidecar, backdrop}); });
    EXPECT_EQ(error, RecordingRetake::messages::notArchived(
                         library::messages::cannotTrash(QStringLiteral("重录片段_录屏_1"))));
    EXPECT_TRUE(error.startsWith(QStringLiteral("未能将当前段移到废纸篓，已停止重录。文件仍保留在桌面「岚帧」中：")));
    expectTakeInPlace();
}

TEST_F(RecordingRetakeTest, AnyFailureOfTheRecycleStepRestoresTheTake) {
    const QString error = errorOf([&] {
        RecordingRetake::archive(clip, {backdrop, sidecar}, [](const QString&) { throw std::runtime_error("gone"); });
    });
    EXPECT_EQ(error, RecordingRetake::messages::notArchived(library::messages::operationFailed()));
    expectTakeInPlace();
}

TEST_F(RecordingRetakeTest, RefusesACompanionInAnotherFolderBeforeAnythingMoves) {
    QDir().mkpath(folder + QStringLiteral("/sub"));
    const QString elsewhere = folder + QStringLiteral("/sub/录屏_1.png");
    test::writeFile(elsewhere, "other");
    bool recycled = false;
    const QString error = errorOf([&] {
        RecordingRetake::archive(clip, {sidecar, elsewhere}, [&](const QString&) { recycled = true; });
    });
    EXPECT_EQ(error, RecordingRetake::messages::companionElsewhere());
    EXPECT_FALSE(recycled);
    EXPECT_FALSE(QFileInfo::exists(archived));
    EXPECT_EQ(test::readFile(elsewhere), QByteArray("other"));
    EXPECT_EQ(test::readFile(clip), takeBytes);
}

TEST_F(RecordingRetakeTest, AcceptsCompanionsNamedThroughDotsOfTheSameFolder) {
    const QString roundabout = folder + QStringLiteral("/sub/../录屏_1.png");
    QDir().mkpath(folder + QStringLiteral("/sub"));
    QString recycled;
    RecordingRetake::archive(clip, {roundabout}, [&](const QString& path) { recycled = path; });
    EXPECT_EQ(entries(recycled), (QStringList{QStringLiteral("录屏_1.mp4"), QStringLiteral("录屏_1.png")}));
}

TEST_F(RecordingRetakeTest, ReportsAClipThatWasNeverSaved) {
    QFile::remove(clip);
    const QString error = errorOf([&] { RecordingRetake::archive(clip, {sidecar}, [](const QString&) {}); });
    EXPECT_EQ(error, RecordingRetake::messages::clipMissing());
    EXPECT_FALSE(QFileInfo::exists(archived));
    EXPECT_TRUE(QFileInfo::exists(sidecar));
}

TEST_F(RecordingRetakeTest, NeverMixesATakeIntoAnEarlierFolderOfTheSameName) {
    QDir().mkpath(archived);
    test::writeFile(archived + QStringLiteral("/录屏_1.mp4"), "earlier take");
    const QString error = errorOf([&] { RecordingRetake::archive(clip, {sidecar}, [](const QString&) {}); });
    EXPECT_EQ(error, library::messages::cannotCreateFolder(QStringLiteral("重录片段_录屏_1")));
    EXPECT_EQ(test::readFile(archived + QStringLiteral("/录屏_1.mp4")), QByteArray("earlier take"));
    EXPECT_EQ(test::readFile(clip), takeBytes);
    EXPECT_TRUE(QFileInfo::exists(sidecar));
}
