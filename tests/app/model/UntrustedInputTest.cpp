// Hostile files, clipboard contents and projects, fed the ways a user brings
// them in: each is refused with a sentence or opened without harm, the
// library is left as it was, and the model goes on answering.
#include "app/model/AppModel.h"
#include "document/ImageOps.h"
#include "document/ShotDocument.h"
#include "library/CaptureRecord.h"
#include "library/EditableShot.h"
#include "platform/files/FileNames.h"
#include "tests/app/model/ModelHarness.h"
#include "tests/document/DocumentFixtures.h"
#include "tests/support/CraftedHeif.h"
#include "tests/support/Files.h"

#include <QClipboard>
#include <QCryptographicHash>
#include <QDirIterator>
#include <QGuiApplication>
#include <QMimeData>
#include <gtest/gtest.h>

using namespace tavero;

namespace {

const QString unreadablePicture = QStringLiteral("无法读取图片，或图片超过 4000 万像素。");
const QString unreadableProject = QStringLiteral("工程图片无法读取。");
const QString pastedTooLarge = QStringLiteral("图片超过 4000 万像素。");

QByteArray pngOf(const QImage& image) { return ImageOps::png(image, QStringLiteral("png")); }

// As a file from elsewhere holds it: the program's writer refuses to write
// what the reader would refuse.
QByteArray projectAround(const QByteArray& picture, QList<Mark> marks = {}) {
    return json::dump(toJson(EditableShot{1, picture, std::move(marks)}));
}

// A library with a screenshot and its entry, as the user's would be.
struct UntrustedHarness : test::ModelHarness {
    UntrustedHarness() {
        const QImage kept = fixtures::screenshotLike(320, 200);
        test::writeFile(libraryFile(QStringLiteral("截图_旧.png")), pngOf(kept));
        const CaptureRecord record{QUuid::createUuid(), QStringLiteral("截图_旧.png"), QStringLiteral("截图_旧.png"),
                                   QDateTime::currentDateTime(), 320, 200, CaptureRecord::imageKind};
        test::writeFile(libraryFile(QStringLiteral("index.json")), encodeManifest({record}));
        model();
        EXPECT_TRUE(QTest::qWaitFor([&] { return model().history().size() == 1; }, 10'000));
        libraryBefore = libraryDigest();
    }

    // Every file of the library folder, by name and content.
    QByteArray libraryDigest() const {
        QCryptographicHash hash(QCryptographicHash::Sha256);
        QStringList names;
        for (QDirIterator files(library(), QDir::Files, QDirIterator::Subdirectories); files.hasNext();)
            names.append(files.next());
        names.sort();
        for (const QString& name : names) hash.addData((name + QLatin1Char('\n')).toUtf8() + test::readFile(name));
        return hash.result();
    }

    QString write(const QString& name, const QByteArray& bytes) const {
        const QString path = files.file(name);
        test::writeFile(path, bytes);
        return path;
    }

    void openAndWait(const QString& path) {
        model().open(path);
        ASSERT_TRUE(waitUntilIdle());
    }

    // The user read `sentence`, nothing in the library changed, and the next
    // picture opens.
    void expectRefusedWith(const QString& sentence, const char* what) {
        EXPECT_EQ(model().error(), sentence) << what;
        EXPECT_EQ(model().status(), sentence) << what;
        model().setError(std::nullopt);
        expectStillAnswering(what);
    }

    void expectStillAnswering(const char* what) {
        EXPECT_EQ(libraryDigest(), libraryBefore) << what << ": the library changed";
        const QString next = write(QStringLiteral("下一张.png"), pngOf(fixtures::screenshotLike(64, 48)));
        openAndWait(next);
        EXPECT_EQ(model().status(), QStringLiteral("已打开：下一张.png")) << what;
        EXPECT_EQ(model().document().image().size(), QSize(64, 48)) << what;
    }

    static void offer(const QString& type, const QByteArray& bytes) {
        auto* data = new QMimeData;
        data->setData(type, bytes);
        QGuiApplication::clipboard()->setMimeData(data);
    }

    test::TempDir files;
    QByteArray libraryBefore;
};


}  // namespace

TEST(UntrustedInputTest, PicturesLargerThanTheirHeadersSayAreRefusedEveryWayIn) {
    UntrustedHarness harness;
    const QByteArray icon = fixtures::iconAround(fixtures::blackPng(9000, 7000));
    harness.openAndWait(harness.write(QStringLiteral("大图.ico"), icon));
    harness.expectRefusedWith(unreadablePicture, "an icon opened");

    const QByteArray heic = fixtures::withSizeBox(ImageOps::png(fixtures::screenshotLike(600, 400), QStringLiteral("heic")),
                                          QSize(100, 100));
    harness.openAndWait(harness.write(QStringLiteral("大图.heic"), heic));
    harness.expectRefusedWith(unreadablePicture, "a HEIC opened");
    const QByteArray av1 = fixtures::withSizeBox(fixtures::av1Picture(QSize(2048, 2048)), QSize(32000, 1));
    harness.openAndWait(harness.write(QStringLiteral("编码.heic"), av1));
    harness.expectRefusedWith(unreadablePicture, "an AV1 picture opened");

    UntrustedHarness::offer(QStringLiteral("image/x-icon"), icon);
    harness.model().paste();
    harness.expectRefusedWith(pastedTooLarge, "an icon pasted");

    harness.openAndWait(harness.write(QStringLiteral("大图.vistagon"), projectAround(icon)));
    harness.expectRefusedWith(unreadableProject, "an icon in a project");
    harness.openAndWait(harness.write(QStringLiteral("编码.vistagon"), projectAround(av1)));
    harness.expectRefusedWith(unreadableProject, "an AV1 picture in a project");
}

TEST(UntrustedInputTest, TextChunksThatUnpackToGigabytesAreLeftOutEveryWayIn) {
    UntrustedHarness harness;
    AppModel& model = harness.model();
    const QByteArray bomb = fixtures::withTextChunks(fixtures::blackPng(10, 10), 100, 7'900'000);
    harness.openAndWait(harness.write(QStringLiteral("文字.png"), bomb));
    EXPECT_EQ(model.status(), QStringLiteral("已打开：文字.png"));
    EXPECT_EQ(model.document().image().size(), QSize(10, 10));

    UntrustedHarness::offer(QStringLiteral("image/png"), bomb);
    model.paste();
    EXPECT_EQ(model.status(), QStringLiteral("已从剪贴板打开。"));

    harness.openAndWait(harness.write(QStringLiteral("文字.vistagon"), projectAround(bomb)));
    EXPECT_EQ(model.status(), QStringLiteral("已打开：文字.vistagon"));
    EXPECT_FALSE(model.error());
    harness.expectStillAnswering("text chunks");
}

TEST(UntrustedInputTest, AProjectVersionBeyondADoubleGetsTheDecodersDescription) {
    UntrustedHarness harness;
    QByteArray project = projectAround(pngOf(fixtures::screenshotLike(40, 30)));
    project.replace("\"version\":1", "\"version\":1e400");
    harness.openAndWait(harness.write(QStringLiteral("版本.vistagon"), project));
    harness.expectRefusedWith(QStringLiteral("未能读取数据，因为它的格式不正确。"), "version 1e400");
}

// Marks no tool makes, which would take the editor seconds to paint, are
// refused before they reach it; the same marks at the tools' limits open.
TEST(UntrustedInputTest, MarksBeyondWhatTheToolsMakeAreRefused) {
    UntrustedHarness harness;
    const QByteArray picture = pngOf(fixtures::screenshotLike(400, 300));
    Mark pen;
    pen.tool = MarkTool::pen;
    for (int index = 0; index < 1000; ++index) pen.points.append(QPointF(index % 400, (index * 7) % 300));
    Mark label;
    label.tool = MarkTool::text;
    label.points = {QPointF(10, 10), QPointF(10, 10)};
    label.fontSize = markLimits::maxFontSize;

    Mark widePen = pen;
    widePen.width = 1000;
    Mark longLabel = label;
    longLabel.text = QString(1'000'000, QLatin1Char('x'));
    Mark hugeLabel = label;
    hugeLabel.text = QStringLiteral("大");
    hugeLabel.fontSize = 1000;
    const struct {
        const char* what;
        Mark mark;
    } refused[] = {{"a pen 1000 wide", widePen},
                   {"a label of a million characters", longLabel},
                   {"a label of size 1000", hugeLabel},
                   {"a stroke longer than a picture's strokes may be together",
                    test::strokesOfLength(markLimits::maxProjectStrokeLength + 1).first()}};
    for (const auto& c : refused) {
        harness.openAndWait(harness.write(QStringLiteral("标记.vistagon"), projectAround(picture, {c.mark})));
        harness.expectRefusedWith(unreadableProject, c.what);
    }

    pen.width = markLimits::maxLineWidth;
    label.text = QString(markLimits::maxTextLength, QLatin1Char('x'));
    harness.openAndWait(harness.write(QStringLiteral("极限.vistagon"), projectAround(picture, {pen, label})));
    EXPECT_EQ(harness.model().status(), QStringLiteral("已打开：极限.vistagon"));
    EXPECT_EQ(harness.model().document().marks().size(), 2);
    harness.expectStillAnswering("marks at the limits");
}

// A name too long for any file is still the name of a project: the user
// reads that the file cannot be read, not that a picture cannot, and reads
// the name by its ends.
TEST(UntrustedInputTest, AProjectWithANameTooLongForAnyFileGetsTheFilesSentence) {
    UntrustedHarness harness;
    const QString name = QString(100'000, QLatin1Char('x')) + QStringLiteral(".vistagon");
    harness.openAndWait(harness.files.file(name));
    harness.expectRefusedWith(QStringLiteral("未能读取文件“%1”。").arg(shownFileName(name)), "a name of 100,009 characters");
}

TEST(UntrustedInputTest, WebPAndTiffOpen) {
    UntrustedHarness harness;
    for (const char* format : {"webp", "tiff"}) {
        const QString path = harness.files.file(QStringLiteral("图.") + QLatin1String(format));
        ASSERT_TRUE(fixtures::screenshotLike(90, 60).save(path, format)) << format;
        harness.openAndWait(path);
        EXPECT_EQ(harness.model().document().image().size(), QSize(90, 60)) << format;
    }
    harness.expectStillAnswering("webp and tiff");
}
