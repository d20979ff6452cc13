#include "document/ImageOps.h"
#include "library/LibraryMessages.h"
#include "library/LocalLibrary.h"
#include "tests/library/LibraryCalls.h"
#include "tests/support/Disks.h"
#include "tests/support/Files.h"
#include "tests/support/Pictures.h"
#include "tests/support/SkipUnlessRequired.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include <cstdio>

#include <sys/stat.h>

using namespace tavero;

namespace {

class LocalLibraryTest : public testing::Test {
protected:
    QString pathOf(const QString& file) const { return library.root() + QLatin1Char('/') + file; }
    QString manifestPath() const { return pathOf(QStringLiteral("index.json")); }
    QList<CaptureRecord> manifestOnDisk() const { return decodeManifest(test::readFile(manifestPath())); }

    // Files with these names in the folder and a manifest, written by another
    // writer, listing them with lower-case ids, spaces and shuffled keys.
    QByteArray writeForeignManifest(const QStringList& files, bool withKind = true) {
        QDir().mkpath(library.root());
        QByteArray text = "[\n";
        for (const QString& file : files) {
            test::writeFile(pathOf(file), "data");
            text += QStringLiteral(R"(  {"file": "%1", "name": "%1", "id": "%2", "created": 700000000.25,
                "width": 10, "height": 20%3},
)")
                        .arg(file, QUuid::createUuid().toString(QUuid::WithoutBraces).toLower(),
                             withKind ? QStringLiteral(", \"kind\": \"image\"") : QString())
                        .toUtf8();
        }
        text.chop(2);
        text += "\n]\n";
        test::writeFile(manifestPath(), text);
        return text;
    }

    test::TempHome home;
    LocalLibrary library;
    const QImage picture = fixtures::screenshotLike(240, 500);
};

}  // namespace

TEST_F(LocalLibraryTest, NamesFilesUniquelyWithinOneSecondAndListsThemNewestFirst) {
    const QRegularExpression pattern(
        QStringLiteral(R"(^截图_\d{4}-\d\d-\d\d_\d\d-\d\d-\d\d_([0-9A-F]{6})\.png$)"));
    const QDateTime before = QDateTime::currentDateTime();
    QList<CaptureRecord> saved;
    for (int i = 0; i < 4; ++i) {
        const auto result = test::persist(library, picture);
        ASSERT_TRUE(result.ok()) << result.error().what();
        saved.prepend(result.value());
    }
    const QDateTime after = QDateTime::currentDateTime();
    QSet<QString> names;
    for (const CaptureRecord& record : saved) {
        const auto match = pattern.match(record.file);
        ASSERT_TRUE(match.hasMatch()) << record.file.toStdString();
        EXPECT_EQ(match.captured(1), json::uuidString(record.id).left(6));
        EXPECT_EQ(record.name, record.file);
        EXPECT_EQ(record.height, 500);
        EXPECT_EQ(ImageOps::load(pathOf(record.file)).size(), QSize(240, 500));
        EXPECT_TRUE(record.created >= before.addMSecs(-1) && record.created <= after.addMSecs(1));
        names.insert(record.file);
    }
    EXPECT_EQ(names.size(), 4);
    EXPECT_EQ(manifestOnDisk(), saved);
    EXPECT_EQ(test::load(library).records, saved);
}

TEST_F(LocalLibraryTest, WritesJpegDataForTheTypeJpg) {
    const auto result = test::persist(library, picture, LocalLibrary::Prefix::annotated, QStringLiteral("jpg"));
    ASSERT_TRUE(result.ok());
    const CaptureRecord& record = result.value();
    EXPECT_TRUE(record.file.startsWith(QStringLiteral("标注截图_")));
    EXPECT_TRUE(record.file.endsWith(QStringLiteral(".jpg")));
    EXPECT_TRUE(test::readFile(pathOf(record.file)).startsWith("\xFF\xD8\xFF")) << "JPEG data";
}

TEST_F(LocalLibraryTest, LoadOfAnEmptyFolderAnswersNothingAndCreatesNoManifest) {
    EXPECT_FALSE(QFileInfo::exists(library.root())) << "nothing is touched until used";
    const test::Loaded loaded = test::load(library);
    EXPECT_FALSE(loaded.error.has_value());
    EXPECT_TRUE(loaded.records.isEmpty());
    EXPECT_TRUE(QFileInfo(library.root()).isDir()) << "the folder is created";
    EXPECT_FALSE(QFileInfo::exists(manifestPath()));
}

TEST_F(LocalLibraryTest, LoadDropsRecordsWhoseFileIsGoneAndRewritesOnlyThen) {
    const QByteArray foreign = writeForeignManifest({QStringLiteral("a.png"), QStringLiteral("b.png")});
    const test::Loaded complete = test::load(library);
    ASSERT_FALSE(complete.error.has_value());
    ASSERT_EQ(complete.records.size(), 2);
    EXPECT_EQ(test::readFile(manifestPath()), foreign) << "nothing dropped, nothing rewritten";

    QFile::remove(pathOf(QStringLiteral("a.png")));
    const test::Loaded pruned = test::load(library);
    ASSERT_FALSE(pruned.error.has_value());
    ASSERT_EQ(pruned.records.size(), 1);
    EXPECT_EQ(pruned.records.first(), complete.records.last());
    EXPECT_EQ(manifestOnDisk(), pruned.records);
    EXPECT_EQ(test::readFile(manifestPath()), encodeManifest(pruned.records));
}

// Whatever stands at "index.json" without being a manifest we can read is
// neither read nor followed nor lost: a load says so and leaves it, and the
// next save keeps it aside under a dated name and writes a regular file.
TEST_F(LocalLibraryTest, AManifestThatCannotBeReadIsKeptAsideAndReplacedByARegularFile) {
    const QString outside = home.path() + QStringLiteral("/elsewhere.txt");
    test::writeFile(outside, "someone else's file");
    const QByteArray outsideBefore = test::folderDigest(home.path() + QStringLiteral("/elsewhere.txt"));
    const QString unreadable = QStringLiteral("未能读取文件“index.json”。");
    struct Case {
        const char* what;
        std::function<void()> make;
        QString error;
    };
    const std::vector<Case> cases{
        {"undecodable", [&] { writeForeignManifest({QStringLiteral("a.png")}, false); },
         QStringLiteral("未能读取数据，因为它的格式不正确。")},
        {"a link outside", [&] { QFile::link(outside, manifestPath()); }, unreadable},
        {"a link to /dev/zero", [&] { QFile::link(QStringLiteral("/dev/zero"), manifestPath()); }, unreadable},
        {"a FIFO", [&] { ::mkfifo(QFile::encodeName(manifestPath()).constData(), 0600); }, unreadable},
        {"too large",
         [&] {
             test::writeFile(manifestPath(), "[]");
             QFile(manifestPath()).resize(LibraryManifest::largestFile + 1);
         },
         unreadable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(QDir(library.root()).removeRecursively() || !QFileInfo::exists(library.root()));
        QDir().mkpath(library.root());
        c.make();
        const QByteArray before = test::folderDigest(library.root());
        LocalLibrary fresh(library.root());
        QStringList keptAside;
        fresh.onManifestKeptAside([&](const QString& keptAs) { keptAside.append(keptAs); });
        const test::Loaded loaded = test::load(fresh);
        ASSERT_TRUE(loaded.error.has_value());
        EXPECT_EQ(library::messages::loadFailed(loaded.error->message()),
                  QStringLiteral("无法读取桌面「岚帧」文件夹：") + c.error);
        EXPECT_EQ(test::folderDigest(library.root()), before) << "a failed load touches nothing";

        const auto saved = test::persist(fresh, picture);
        ASSERT_TRUE(saved.ok()) << saved.error().what();
        EXPECT_FALSE(QFileInfo(manifestPath()).isSymLink());
        EXPECT_EQ(manifestOnDisk(), QList<CaptureRecord>{saved.value()});
        ASSERT_TRUE(test::persist(fresh, picture).ok());
        EXPECT_EQ(manifestOnDisk().size(), 2);
        const QStringList copies =
            QDir(library.root()).entryList({QStringLiteral("index.json.broken-*")}, QDir::AllEntries | QDir::System);
        ASSERT_EQ(copies.size(), 1) << "kept aside once, before the first rewrite only";
        EXPECT_EQ(keptAside, copies) << "told once, with the name it was kept as";
        EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(^index\.json\.broken-\d{8}-\d{6}$)")).match(copies[0]).hasMatch());

        for (const CaptureRecord& record : manifestOnDisk()) QFile::remove(pathOf(record.file));
        QFile::remove(manifestPath());
        ::rename(QFile::encodeName(pathOf(copies[0])).constData(), QFile::encodeName(manifestPath()).constData());
        EXPECT_EQ(test::folderDigest(library.root()), before) << "what stood there is kept as it was";
    }
    EXPECT_EQ(test::folderDigest(outside), outsideBefore);
}

// The disk fills up at a chosen byte: first inside the picture, then inside
// the manifest. Neither leaves a broken file listed, and the manifest on disk
// stays the last whole one until a save succeeds again.
TEST_F(LocalLibraryTest, AWriteCutShortListsNoBrokenPictureAndKeepsTheManifest) {
    ASSERT_TRUE(test::persist(library, picture).ok());
    const QByteArray before = test::folderDigest(library.root());
    const qint64 pictureSize = ImageOps::png(picture, QStringLiteral("png")).size();
    {
        const test::FileSizeLimit full(pictureSize / 2);
        const auto cut = test::persist(library, picture);
        ASSERT_FALSE(cut.ok());
        EXPECT_TRUE(cut.error().message().startsWith(QStringLiteral("未能存储文件“截图_"))) << cut.error().what();
    }
    EXPECT_EQ(test::folderDigest(library.root()), before) << "nothing lost, nothing half-written";

    QImage dot(1, 1, QImage::Format_RGB32);
    dot.fill(Qt::red);
    {
        const test::FileSizeLimit full(test::readFile(manifestPath()).size() + 10);
        const auto unlisted = test::persist(library, dot);
        ASSERT_FALSE(unlisted.ok()) << "the dot's picture fits, the longer manifest does not";
        EXPECT_EQ(unlisted.error().message(), QStringLiteral("未能存储文件“index.json”。"));
    }
    EXPECT_EQ(manifestOnDisk().size(), 1) << "the earlier manifest, whole";
    EXPECT_EQ(test::folderDigest(library.root()), before) << "the picture said not to be saved is not in the folder";
    const auto later = test::persist(library, picture);
    ASSERT_TRUE(later.ok());
    EXPECT_EQ(manifestOnDisk().size(), 2) << "the unsaved picture is never listed later";
    EXPECT_EQ(QDir(library.root()).entryList(QDir::Files).size(), 3) << "two pictures and the manifest";
    for (const CaptureRecord& record : manifestOnDisk())
        EXPECT_FALSE(ImageOps::load(pathOf(record.file)).isNull()) << record.file.toStdString();
}

// Saving until a real file system is full, as a user pressing the hot key on
// a nearly full home would: every listed picture opens, the failure reads as
// a full disk, and the library keeps answering once there is room again.
TEST(LocalLibraryOnAFullDisk, KeepsEveryListedPictureWholeAndSaysTheDiskIsFull) {
    const test::SmallDisk disk(512 * 1024);
    if (!disk.mounted()) TAVERO_SKIP_UNLESS_REQUIRED("mounting a small file system needs root");
    LocalLibrary library(disk.path() + QStringLiteral("/岚帧"));
    const QImage picture = fixtures::noise(200, 150, 3);
    std::optional<ShotError> failure;
    for (int i = 0; i < 20 && !failure; ++i) {
        const auto result = test::persist(library, picture);
        if (!result) failure = result.error();
    }
    ASSERT_TRUE(failure.has_value()) << "the disk never filled";
    EXPECT_EQ(failure->message(), QStringLiteral("磁盘空间不足，无法保存。"));
    const QByteArray full = test::folderDigest(library.root());
    ASSERT_FALSE(test::persist(library, picture).ok());
    EXPECT_EQ(test::folderDigest(library.root()), full) << "a failed save changes nothing";

    const QList<CaptureRecord> listed = decodeManifest(test::readFile(library.root() + QStringLiteral("/index.json")));
    ASSERT_FALSE(listed.isEmpty());
    for (const CaptureRecord& record : listed)
        EXPECT_EQ(ImageOps::load(library.root() + QLatin1Char('/') + record.file).size(), picture.size());
    EXPECT_EQ(test::load(library).records.size(), listed.size());
    QFile::remove(library.root() + QLatin1Char('/') + listed.last().file);
    EXPECT_TRUE(test::persist(library, picture).ok()) << "room again";
}

TEST_F(LocalLibraryTest, AddVideoListsAFileOnceAndWritesNothingTheSecondTime) {
    QDir().mkpath(library.root());
    const QString video = pathOf(LocalLibrary::filename(LocalLibrary::Prefix::recording, QUuid::createUuid()) +
                                 QStringLiteral(".mp4"));
    test::writeFile(video, "mp4");
    const auto first = test::addVideo(library, video);
    ASSERT_TRUE(first.ok());
    EXPECT_EQ(first.value().file, QFileInfo(video).fileName());
    EXPECT_EQ(first.value().kind, CaptureRecord::videoKind);

    const QByteArray written = test::readFile(manifestPath());
    QFile manifest(manifestPath());
    ASSERT_TRUE(manifest.open(QIODevice::ReadWrite));
    ASSERT_TRUE(manifest.setFileTime(QDateTime(QDate(2020, 1, 1), QTime(0, 0)), QFileDevice::FileModificationTime));
    manifest.close();
    const auto second = test::addVideo(library, video);
    ASSERT_TRUE(second.ok());
    EXPECT_EQ(second.value(), first.value());
    EXPECT_EQ(test::readFile(manifestPath()), written);
    EXPECT_EQ(QFileInfo(manifestPath()).lastModified().date().year(), 2020) << "not rewritten";
}

TEST_F(LocalLibraryTest, TrashMovesTheFileAwayAndForgetsItsRecordEvenWhenTheFileIsGone) {
    const auto moved = test::persist(library, picture);
    const auto gone = test::persist(library, picture);
    ASSERT_TRUE(moved.ok() && gone.ok());
    QFile::remove(pathOf(gone.value().file));
    EXPECT_FALSE(test::trash(library, moved.value()).has_value());
    EXPECT_FALSE(test::trash(library, gone.value()).has_value());
    EXPECT_FALSE(QFileInfo::exists(pathOf(moved.value().file)));
    EXPECT_TRUE(manifestOnDisk().isEmpty());
}

TEST_F(LocalLibraryTest, AFailedTrashKeepsTheFileAndItsRecord) {
    const auto saved = test::persist(library, picture);
    ASSERT_TRUE(saved.ok());
    QDir().mkpath(home.path() + QStringLiteral("/.local/share"));
    test::writeFile(home.path() + QStringLiteral("/.local/share/Trash"), "not a folder");
    const auto error = test::trash(library, saved.value());
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->message(), QStringLiteral("未能将“%1”移到回收站。").arg(saved.value().file));
    EXPECT_TRUE(QFileInfo::exists(pathOf(saved.value().file)));
    EXPECT_EQ(manifestOnDisk(), QList<CaptureRecord>{saved.value()});
    EXPECT_EQ(test::load(library).records, QList<CaptureRecord>{saved.value()});
}

TEST_F(LocalLibraryTest, TrashNeverReachesOutOfTheFolder) {
    ASSERT_TRUE(test::persist(library, picture).ok());
    const QString outside = home.path() + QStringLiteral("/keep.txt");
    test::writeFile(outside, "keep");
    CaptureRecord escaping{QUuid::createUuid(), QStringLiteral("x"), QStringLiteral("../../keep.txt"),
                           QDateTime::currentDateTime(), 0, 0, CaptureRecord::imageKind};
    EXPECT_FALSE(test::trash(library, escaping).has_value());
    EXPECT_TRUE(QFileInfo::exists(outside));
}

TEST_F(LocalLibraryTest, SavingRecreatesAFolderRemovedMeanwhile) {
    ASSERT_TRUE(test::persist(library, picture).ok());
    ASSERT_TRUE(QDir(library.root()).removeRecursively());
    const auto saved = test::persist(library, picture);
    ASSERT_TRUE(saved.ok());
    EXPECT_TRUE(QFileInfo::exists(pathOf(saved.value().file)));
    EXPECT_EQ(manifestOnDisk(), QList<CaptureRecord>{saved.value()}) << "the record of the lost file is dropped";
}

TEST_F(LocalLibraryTest, AFolderThatCannotBeMadeIsReportedAndTheListKept) {
    ASSERT_TRUE(test::persist(library, picture).ok());
    const QList<CaptureRecord> before = test::load(library).records;
    ASSERT_TRUE(QDir(library.root()).removeRecursively());
    test::writeFile(library.root(), "a file where the folder belongs");

    const test::Loaded loaded = test::load(library);
    ASSERT_TRUE(loaded.error.has_value());
    EXPECT_EQ(loaded.error->message(), QStringLiteral("未能创建文件夹“岚帧”。"));
    EXPECT_EQ(loaded.records, before);
    const auto saved = test::persist(library, picture);
    ASSERT_FALSE(saved.ok());
    EXPECT_EQ(saved.error().message(), QStringLiteral("未能创建文件夹“岚帧”。"));
}
