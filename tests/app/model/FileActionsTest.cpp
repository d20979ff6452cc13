#include "app/model/AppModel.h"
#include "document/ImageOps.h"
#include "document/LabelSizes.h"
#include "document/OpenShotRequests.h"
#include "document/ShotDocument.h"
#include "library/EditableShot.h"
#include "recording/VideoExport.h"
#include "tests/app/model/ModelHarness.h"
#include "tests/app/model/ScriptedStudio.h"
#include "tests/support/Disks.h"
#include "tests/support/Files.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/TestWindows.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <utility>
#include <vector>

using namespace tavero;
using test::ModelHarness;
using test::ScriptedStudio;

namespace {

using test::filled;

Mark rectangleMark(QRectF rect) { return test::makeMark(MarkTool::rectangle, {rect.topLeft(), rect.bottomRight()}); }

QString writePicture(const test::TempDir& dir, const QString& name, const QImage& image) {
    const QString path = dir.file(name);
    test::writeFile(path, ImageOps::png(image, QStringLiteral("png")));
    return path;
}

QString writeProject(const test::TempDir& dir, const QString& name, const QImage& image, QList<Mark> marks) {
    const QString path = dir.file(name);
    const QByteArray png = ImageOps::png(image, QStringLiteral("png"));
    test::writeFile(path, encodeEditableShot(EditableShot{1, png, std::move(marks)}));
    return path;
}

// A model whose studio is scripted.
struct FileHarness : ModelHarness {
    FileHarness() {
        makeStudio = [this](RecordingHost& host) {
            auto made = std::make_unique<ScriptedStudio>(host);
            studio = made.get();
            return made;
        };
    }

    // Videos are checked for real; `answers` counts the checks answered.
    void checkVideosCounting(int& answers) {
        videoExports.check = [&answers](const QString& source, VideoExport::Check answer) {
            VideoExport::checkPictures(source, [&answers, answer](Result<Done> readable) {
                ++answers;
                answer(readable);
            });
        };
    }

    // Opens `path` and waits until its decode has answered.
    void openAndWait(const QString& path, bool append = false, bool horizontal = false) {
        model().open(path, append, horizontal);
        ASSERT_TRUE(waitUntilIdle());
    }

    ScriptedStudio* studio = nullptr;
    test::TempDir files;
};

// Every container the refusal of the others names opens by its name.
TEST(FileActionsTest, VideosOfAnyCaseGoToTheWorkspaceAndTheStudioLoadsTheirProject) {
    FileHarness harness;
    harness.videoExports.check = [](const QString&, VideoExport::Check) {};
    AppModel& model = harness.model();
    QStringList videos;
    for (const char* name : {"演示.MOV", "录屏.mkv", "录屏.WebM", "直播.ts"}) {
        const QString video = harness.files.file(QString::fromUtf8(name));
        videos.append(video);
        model.open(video);
        EXPECT_EQ(model.videoURL(), video) << name;
        EXPECT_FALSE(model.busy()) << name << " is no picture to decode";
        EXPECT_EQ(model.status(), QStringLiteral("正在打开：%1…").arg(QString::fromUtf8(name)));
    }
    ASSERT_NE(harness.studio, nullptr);
    EXPECT_EQ(harness.studio->loadedProjects, videos);
    EXPECT_FALSE(model.flow().showingHome);
    EXPECT_EQ(harness.windowShown, videos.size());

    const QString clip = harness.files.file(QStringLiteral("clip.m4v"));
    model.open(clip, true, true);
    EXPECT_EQ(model.videoURL(), clip) << "append means nothing to a video";
    EXPECT_TRUE(model.document().image().isNull());
}

// Files that are no picture, and files that would block a reader for good or
// feed it without end: each is refused with a sentence, the picture open
// stays, the library is untouched, and the next open works.
TEST(FileActionsTest, FilesThatCannotBeReadFailWithASentenceAndTheModelGoesOn) {
    FileHarness harness;
    AppModel& model = harness.model();
    const QImage current = filled(30, 20, Qt::green);
    harness.openAndWait(writePicture(harness.files, QStringLiteral("current.png"), current));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo(harness.library()).isDir(); }, 10'000));
    const QByteArray library = test::folderDigest(harness.library());
    const auto file = [&](const char* name) { return harness.files.file(QString::fromUtf8(name)); };
    const auto fifo = [&](const char* name) {
        ::mkfifo(QFile::encodeName(file(name)).constData(), 0600);
        return file(name);
    };
    const auto endless = [&](const char* name) {
        QFile::link(QStringLiteral("/dev/zero"), file(name));
        return file(name);
    };
    test::writeFile(file("录屏.png"), QByteArrayLiteral("\x1a\x45\xdf\xa3 not a picture"));
    test::writeFile(file("huge.vistagon"), "{");
    QFile(file("huge.vistagon")).resize(qint64(1) << 30);
    const QString picture = QStringLiteral("无法读取图片，或图片超过 4000 万像素。");
    const std::vector<std::pair<QString, QString>> cases{
        {file("录屏.png"), picture},
        {fifo("管道.png"), picture},
        {endless("zero.png"), picture},
        {fifo("管道.vistagon"), QStringLiteral("未能读取文件“管道.vistagon”。")},
        {endless("zero.vistagon"), QStringLiteral("未能读取文件“zero.vistagon”。")},
        {file("huge.vistagon"), QStringLiteral("未能读取文件“huge.vistagon”。")},
    };
    for (const auto& [path, sentence] : cases) {
        SCOPED_TRACE(path.toStdString());
        model.open(path);
        EXPECT_TRUE(model.busy()) << "decoding runs in the background";
        ASSERT_TRUE(harness.waitUntilIdle());
        EXPECT_EQ(model.error(), sentence);
        EXPECT_EQ(model.status(), sentence);
        EXPECT_TRUE(test::samePixels(model.document().image(), current));
        EXPECT_FALSE(model.videoURL().has_value());
    }
    EXPECT_TRUE(harness.studio == nullptr || harness.studio->loadedProjects.isEmpty());
    EXPECT_EQ(test::folderDigest(harness.library()), library);
    harness.openAndWait(writePicture(harness.files, QStringLiteral("next.png"), filled(10, 10, Qt::red)));
    EXPECT_EQ(model.status(), QStringLiteral("已打开：next.png"));
}

// A video opens as any video does and then says why it stays dark, when it
// has no picture to show; while it is still shown, and without touching a
// job started meanwhile.
TEST(FileActionsTest, AVideoWithoutAPictureToShowIsToldSoOnceOpened) {
    FileHarness harness;
    int answers = 0;
    harness.checkVideosCounting(answers);
    AppModel& model = harness.model();
    const test::Fifo fifo(harness.files.file(QStringLiteral("x.mp4")));
    QStringList unreadable = test::makeUnreadableVideos(harness.files.path());
    unreadable.append(fifo.path());
    unreadable.append(harness.files.file(QStringLiteral("录屏.webm")));
    test::writeFile(unreadable.back(), QByteArrayLiteral("\x1a\x45\xdf\xa3 not a video"));
    const QString good = harness.files.file(QStringLiteral("good.mp4"));
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(good, {.duration = 1.0, .size = QSize(64, 48)}));
    const QString before = model.status();
    for (const QString& video : unreadable) {
        SCOPED_TRACE(video.toStdString());
        model.open(video);
        EXPECT_EQ(model.videoURL(), video);
        ASSERT_TRUE(QTest::qWaitFor([&] { return model.error().has_value(); }, 30'000));
        EXPECT_EQ(model.error(), QStringLiteral("该视频的画面无法读取。"));
        EXPECT_EQ(model.status(), QStringLiteral("该视频的画面无法读取。"));
        EXPECT_EQ(model.videoURL(), video) << "the workspace stays";
        EXPECT_FALSE(model.busy());
        model.setError(std::nullopt);
        model.setStatus(before);
    }

    answers = 0;
    model.open(good);
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers == 1; }, 30'000));
    EXPECT_EQ(model.error(), std::nullopt);
    EXPECT_EQ(model.status(), QStringLiteral("已打开：good.mp4"));

    // Answered once another video shows: nothing to say of it any more.
    model.open(unreadable.front());
    model.open(good);
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers == 3; }, 30'000));
    EXPECT_EQ(model.error(), std::nullopt);
    EXPECT_EQ(model.videoURL(), good);
}

// What was said of a video that shows nothing goes with it: once another
// video is shown, switched to or opened, the alert has closed and the status
// line names the video shown now, whatever its check answers. A status said
// since stays.
TEST(FileActionsTest, WhatWasSaidOfAVideoGoesOnceAnotherIsShown) {
    FileHarness harness;
    int answers = 0;
    harness.checkVideosCounting(answers);
    AppModel& model = harness.model();
    const QString broken = harness.files.file(QStringLiteral("原片.mp4"));
    test::writeFile(broken, "not a video");
    const QString good = harness.files.file(QStringLiteral("成片.mp4"));
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(good, {.duration = 1.0, .size = QSize(64, 48)}));
    const QString unreadable = QStringLiteral("该视频的画面无法读取。");
    const QString goodShown = QStringLiteral("已打开：成片.mp4");
    const auto show = [&](const std::function<void()>& change) {
        const int before = answers;
        change();
        ASSERT_TRUE(QTest::qWaitFor([&] { return answers == before + 1; }, 30'000));
    };

    ASSERT_NO_FATAL_FAILURE(show([&] { model.open(good); }));
    const QString before = model.status();
    ASSERT_NO_FATAL_FAILURE(show([&] { model.switchVideo(broken); }));
    EXPECT_EQ(model.error(), unreadable);
    EXPECT_EQ(model.status(), unreadable);
    ASSERT_NO_FATAL_FAILURE(show([&] { model.switchVideo(good); }));
    EXPECT_EQ(model.error(), std::nullopt) << "the alert is not kept open over the good video";
    EXPECT_EQ(model.status(), goodShown);

    // Opened, its alert closed by the user.
    ASSERT_NO_FATAL_FAILURE(show([&] { model.open(broken); }));
    EXPECT_EQ(model.status(), unreadable);
    model.setError(std::nullopt);
    ASSERT_NO_FATAL_FAILURE(show([&] { model.open(good); }));
    EXPECT_EQ(model.error(), std::nullopt);
    EXPECT_EQ(model.status(), goodShown);

    // A GIF refused for the video it could not read.
    ASSERT_NO_FATAL_FAILURE(show([&] { model.switchVideo(broken); }));
    model.setError(std::nullopt);
    model.setStatus(before);
    model.exportGIF();
    ASSERT_TRUE(harness.waitUntilIdle());
    ASSERT_EQ(model.error(), unreadable);
    ASSERT_NO_FATAL_FAILURE(show([&] { model.switchVideo(good); }));
    EXPECT_EQ(model.error(), std::nullopt);
    EXPECT_EQ(model.status(), goodShown);

    ASSERT_NO_FATAL_FAILURE(show([&] { model.switchVideo(broken); }));
    model.setStatus(QStringLiteral("已保存 3.9 秒原片。"));
    ASSERT_NO_FATAL_FAILURE(show([&] { model.switchVideo(good); }));
    EXPECT_EQ(model.status(), QStringLiteral("已保存 3.9 秒原片。")) << "a status said since is not the video's";
    EXPECT_EQ(model.error(), std::nullopt) << "its alert closes all the same";
}

// A name of any length, as a command line hands one over: its kind is its
// last suffix, and a sentence names it by its start and its end.
TEST(FileActionsTest, ANameOfAnyLengthIsToldByItsLastSuffixAndShortenedInSentences) {
    FileHarness harness;
    harness.videoExports.check = [](const QString&, VideoExport::Check answer) { answer(Done()); };
    AppModel& model = harness.model();
    // Characters of two code units stay whole wherever the cuts fall.
    const auto expectNamed = [](const QString& sentence, const QString& name, const char* what) {
        EXPECT_TRUE(sentence.contains(name.left(20)) && sentence.contains(name.right(12))) << what;
        EXPECT_LT(sentence.size(), 100) << what;
        EXPECT_TRUE(sentence.isValidUtf16()) << what;
    };
    // A video of such a name is opened as one: TaveroLongNamesOnX11Test.
    const QString unreadable = QStringLiteral("无法读取图片，或图片超过 4000 万像素。");
    const std::pair<const char*, QString> cases[] = {
        {".vistagon", QStringLiteral("未能读取文件“")},
        {".mp4.png", unreadable},
    };
    for (const auto& [suffix, failure] : cases) {
        SCOPED_TRACE(suffix);
        const QString name = QStringLiteral("开") + QStringLiteral("𝄞").repeated(20'000) + QStringLiteral("尾") + QLatin1String(suffix);
        model.open(harness.files.file(name));
        expectNamed(model.status(), name, "opening");
        ASSERT_TRUE(harness.waitUntilIdle());
        ASSERT_TRUE(model.error().has_value());
        EXPECT_TRUE(model.error()->startsWith(failure));
        if (failure != unreadable) expectNamed(*model.error(), name, "refused");
    }

    // Names as long as a folder holds open, and are named by their ends too:
    // their first 40 characters and their last 23.
    const QString longest = QStringLiteral("开") + QString(78, u'长') + QStringLiteral("尾");
    const auto shown = [](const char* suffix) {
        return QStringLiteral("已打开：开") + QString(39, u'长') + QStringLiteral("…") + QString(18, u'长') +
               QStringLiteral("尾") + QLatin1String(suffix);
    };
    harness.openAndWait(writePicture(harness.files, longest + QStringLiteral(".png"), filled(4, 3, Qt::red)));
    EXPECT_EQ(model.status(), shown(".png"));
    model.open(harness.files.file(longest + QStringLiteral(".mp4")));
    EXPECT_EQ(model.status(), shown(".mp4"));
}

TEST(FileActionsTest, AProjectRestoresItsMarksAndIsNamedWithoutItsExtension) {
    FileHarness harness;
    AppModel& model = harness.model();
    model.setVideoURL(harness.files.file(QStringLiteral("old.mp4")));
    const QImage picture = fixtures::screenshotLike(320, 200);
    const QList<Mark> marks{rectangleMark({10, 10, 50, 40}), rectangleMark({100, 60, 30, 30})};
    const QString project = writeProject(harness.files, QStringLiteral("周报 v2.vistagon"), picture, marks);
    harness.openAndWait(project);
    EXPECT_EQ(model.document().name(), QStringLiteral("周报 v2"));
    EXPECT_EQ(model.document().marks(), marks) << "editable, not burnt in";
    EXPECT_TRUE(test::samePixels(model.document().image(), picture));
    EXPECT_EQ(model.status(), QStringLiteral("已打开：周报 v2.vistagon"));
    EXPECT_FALSE(model.videoURL().has_value());

    model.open(writePicture(harness.files, QStringLiteral("next.png"), filled(20, 20, Qt::red)));
    model.open(project);
    model.open(harness.files.file(QStringLiteral("next.mp4")));
    ASSERT_TRUE(harness.waitUntilIdle());
    EXPECT_EQ(model.document().name(), QStringLiteral("next")) << "opens while a file is read are refused";
    EXPECT_TRUE(model.document().marks().isEmpty());
    EXPECT_FALSE(model.videoURL().has_value());
}

TEST(FileActionsTest, AProjectsLabelsAreMeasuredBeforeItOpens) {
    FileHarness harness;
    QList<Mark> labels;
    for (int index = 0; index < 3; ++index) {
        Mark label = test::makeMark(MarkTool::text, {QPointF(10, 10 + index * 60)});
        label.text = QStringLiteral("第%1行说明").arg(index);
        labels.append(label);
    }
    const QImage picture = filled(320, 200, Qt::white);
    harness.openAndWait(writeProject(harness.files, QStringLiteral("标签.vistagon"), picture, labels));
    ASSERT_EQ(harness.model().document().marks().size(), 3);
    const qint64 before = LabelSizes::textsMeasured();
    for (const Mark& label : harness.model().document().marks()) LabelSizes::shared().size(label);
    EXPECT_EQ(LabelSizes::textsMeasured(), before) << "no click on the canvas measures them";
}

// Reading a large file, or refusing it, takes a while: until it has opened
// or been refused, the status line says which file is being opened. A video
// is being opened until a look at it finds a picture; what is found in a
// video shown before says nothing of the file opened since.
TEST(FileActionsTest, TheStatusSaysWhichFileIsBeingOpened) {
    std::vector<std::pair<QString, VideoExport::Check>> looks;
    FileHarness harness;
    harness.videoExports.check = [&looks](const QString& video, VideoExport::Check answer) {
        looks.emplace_back(video, std::move(answer));
    };
    AppModel& model = harness.model();
    model.open(writePicture(harness.files, QStringLiteral("大图.png"), filled(40, 30, Qt::red)));
    EXPECT_TRUE(model.busy());
    EXPECT_EQ(model.status(), QStringLiteral("正在打开：大图.png…"));
    ASSERT_TRUE(harness.waitUntilIdle());
    EXPECT_EQ(model.status(), QStringLiteral("已打开：大图.png"));

    const QString broken = harness.files.file(QStringLiteral("半个.vistagon"));
    test::writeFile(broken, "{\"version\":1,\"marks\":[");
    model.open(broken);
    EXPECT_EQ(model.status(), QStringLiteral("正在打开：半个.vistagon…"));
    ASSERT_TRUE(harness.waitUntilIdle());
    EXPECT_EQ(model.status(), QStringLiteral("未能读取数据，因为它的格式不正确。"));

    model.open(harness.files.file(QStringLiteral("h264_1080p.mp4")));
    EXPECT_EQ(model.status(), QStringLiteral("正在打开：h264_1080p.mp4…"));
    model.open(harness.files.file(QStringLiteral("hevc.mov")));
    ASSERT_EQ(looks.size(), 2u);
    looks[0].second(Done());
    EXPECT_EQ(model.status(), QStringLiteral("正在打开：hevc.mov…"));
    looks[1].second(Done());
    EXPECT_EQ(model.status(), QStringLiteral("已打开：hevc.mov"));

    model.open(harness.files.file(QStringLiteral("small.mp4")));
    model.open(writePicture(harness.files, QStringLiteral("small.png"), filled(4, 3, Qt::red)));
    ASSERT_EQ(looks.size(), 3u);
    looks[2].second(Done());
    EXPECT_EQ(model.status(), QStringLiteral("正在打开：small.png…"));
    ASSERT_TRUE(harness.waitUntilIdle());
    EXPECT_EQ(model.status(), QStringLiteral("已打开：small.png"));
}

TEST(FileActionsTest, AppendOnAnEmptyDocumentOpensThePicture) {
    FileHarness harness;
    AppModel& model = harness.model();
    harness.openAndWait(writePicture(harness.files, QStringLiteral("below.png"), filled(50, 30, Qt::green)), true);
    EXPECT_EQ(model.document().image().size(), QSize(50, 30));
    EXPECT_EQ(model.document().name(), QStringLiteral("below"));
    EXPECT_FALSE(model.document().canUndo());
}

TEST(FileActionsTest, AppendJoinsBelowAndBesideWithTheMarksBurntIn) {
    FileHarness harness;
    AppModel& model = harness.model();
    const QImage base = filled(200, 100, Qt::white);
    const QList<Mark> marks{rectangleMark({20, 20, 80, 50})};
    harness.openAndWait(writeProject(harness.files, QStringLiteral("base.vistagon"), base, marks));
    const QImage annotated = ImageOps::render(base, marks);

    const QImage below = filled(200, 60, Qt::blue);
    harness.openAndWait(writePicture(harness.files, QStringLiteral("below.png"), below), true, false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.document().image().height() == 160; }, 10'000));
    EXPECT_TRUE(model.document().marks().isEmpty()) << "the marks are part of the picture now";
    EXPECT_TRUE(test::samePixels(model.document().image().copy(0, 0, 200, 100), annotated));
    EXPECT_TRUE(test::samePixels(model.document().image().copy(0, 100, 200, 60), below));
    EXPECT_TRUE(model.document().canUndo());
    EXPECT_EQ(model.document().name(), QStringLiteral("base")) << "the document keeps its name";

    // A project's marks are dropped when it is joined.
    const QImage beside = filled(40, 30, Qt::red);
    harness.openAndWait(writeProject(harness.files, QStringLiteral("beside.vistagon"), beside, marks), true, true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.document().image().width() == 240; }, 10'000));
    const QImage joined = model.document().image();
    EXPECT_EQ(joined.height(), 160);
    EXPECT_TRUE(test::samePixels(joined.copy(200, 0, 40, 30), beside)) << "top-aligned, unannotated";
    EXPECT_EQ(joined.pixelColor(220, 100), QColor(Qt::white)) << "the rest of the column is white";
    EXPECT_TRUE(model.document().marks().isEmpty());
}

TEST(FileActionsTest, TheCanvasRequestsOpenLocalFilesOnly) {
    FileHarness harness;
    AppModel& model = harness.model();
    const QString path = writePicture(harness.files, QStringLiteral("dropped.png"), filled(30, 30, Qt::red));
    OpenShotRequests::instance().post(QUrl(QStringLiteral("https://example.com/dropped.png")));
    EXPECT_FALSE(model.busy());
    OpenShotRequests::instance().post(QUrl::fromLocalFile(path));
    EXPECT_TRUE(model.busy());
    ASSERT_TRUE(harness.waitUntilIdle());
    EXPECT_EQ(model.status(), QStringLiteral("已打开：dropped.png"));
}

// Keeps the requests and answers as the user would.
struct ScriptedPanels final : OpenPanelPresenter {
    void present(const OpenPanelRequest& request, OpenPanelChosen chosen) override {
        requests.push_back(request);
        choose = std::move(chosen);
    }
    std::vector<OpenPanelRequest> requests;
    OpenPanelChosen choose;
};

TEST(FileActionsTest, ThePanelsOfferTheirKindsOfFilesAndOpenTheChoice) {
    FileHarness harness;
    ScriptedPanels panels;
    AppModel& model = harness.model();
    model.chooseFile();
    EXPECT_TRUE(harness.windowShown == 0 && panels.requests.empty()) << "without a presenter nothing shows";

    model.setOpenPanelPresenter(&panels);
    model.chooseFile();
    ASSERT_EQ(panels.requests.size(), 1u);
    const OpenPanelRequest& open = panels.requests.back();
    EXPECT_EQ(open.title, QStringLiteral("打开图片或视频"));
    EXPECT_EQ(open.prompt, QStringLiteral("打开"));
    EXPECT_EQ(open.message, QStringLiteral("选择图片、录屏视频或可编辑的岚帧工程。"));
    const qsizetype png = open.extensions.indexOf(QStringLiteral("png"));
    const qsizetype mp4 = open.extensions.indexOf(QStringLiteral("mp4"));
    EXPECT_TRUE(png >= 0 && mp4 > png && open.extensions.back() == QStringLiteral("vistagon"))
        << "pictures, videos, projects: " << open.extensions.join(' ').toStdString();
    for (const char* other : {"webp", "tiff", "tif"})
        EXPECT_TRUE(open.extensions.contains(QLatin1String(other))) << other << " pictures are offered too";
    const QStringList videos{QStringLiteral("mov"), QStringLiteral("m4v"), QStringLiteral("mkv"),
                             QStringLiteral("webm"), QStringLiteral("ts")};
    for (const QString& video : videos) EXPECT_GT(open.extensions.indexOf(video), png) << video.toStdString();

    const QString picture = writePicture(harness.files, QStringLiteral("chosen.png"), filled(10, 10, Qt::red));
    panels.choose(picture);
    ASSERT_TRUE(harness.waitUntilIdle());
    EXPECT_EQ(model.document().name(), QStringLiteral("chosen"));

    model.chooseAppendFile(true);
    const OpenPanelRequest& append = panels.requests.back();
    EXPECT_EQ(append.title, QStringLiteral("选择要拼接的图片"));
    EXPECT_EQ(append.prompt, QStringLiteral("拼接"));
    EXPECT_EQ(append.message, QStringLiteral("把另一张图片接在当前图片右侧。"));
    for (const QString& video : videos) EXPECT_FALSE(append.extensions.contains(video)) << video.toStdString();
    panels.choose(writePicture(harness.files, QStringLiteral("right.png"), filled(5, 10, Qt::blue)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.document().image().width() == 15; }, 10'000));

    model.chooseAppendFile(false);
    EXPECT_EQ(panels.requests.back().message, QStringLiteral("把另一张图片接在当前图片下方。"));
    model.open(picture);
    model.chooseFile();
    EXPECT_EQ(panels.requests.size(), 3u) << "no panel while a file is read";
    ASSERT_TRUE(harness.waitUntilIdle());
}

TEST(FileActionsTest, ThePanelsStartWhereTheUsersCapturesAre) {
    FileHarness harness;
    ScriptedPanels panels;
    AppModel& model = harness.model();
    model.setOpenPanelPresenter(&panels);
    const QString library = model.library().root();
    // The model's first load makes the folder in the background: removed
    // before, it would come back.
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo(library).isDir(); }, 10'000));
    QDir(library).removeRecursively();
    model.chooseFile();
    ASSERT_EQ(panels.requests.size(), 1u);
    EXPECT_EQ(panels.requests.back().directory, QFileInfo(library).absolutePath()) << "the Desktop, at first";

    ASSERT_TRUE(QDir().mkpath(library));
    model.chooseAppendFile(false);
    ASSERT_EQ(panels.requests.size(), 2u);
    EXPECT_EQ(panels.requests.back().directory, library) << "the library, once it exists";
}

TEST(FileActionsTest, ThePracticePictureStartsThePracticeUnlessARecordingIsUnderWay) {
    FileHarness harness;
    AppModel& model = harness.model();
    model.setVideoURL(harness.files.file(QStringLiteral("old.mp4")));
    model.studio();
    harness.studio->setPhase(RecordingPhase::countdown(3));
    model.demo();
    EXPECT_TRUE(model.document().image().isNull()) << "nothing during the recording countdown";
    EXPECT_TRUE(model.videoURL().has_value());

    harness.studio->setPhase(RecordingPhase());
    const QString picture = writePicture(harness.files, QStringLiteral("a.png"), filled(10, 10, Qt::red));
    model.open(picture);
    model.demo();
    EXPECT_TRUE(model.document().image().isNull()) << "nothing while a file is read";
    ASSERT_TRUE(harness.waitUntilIdle());
    model.setVideoURL(harness.files.file(QStringLiteral("old.mp4")));
    const int shown = harness.windowShown;
    model.demo();
    EXPECT_EQ(model.document().name(), QStringLiteral("示例图 · 跟着做一次"));
    EXPECT_TRUE(test::samePixels(model.document().image(), ImageOps::demo()));
    EXPECT_EQ(model.document().tool(), MarkTool::arrow);
    EXPECT_EQ(model.flow(), (WorkspaceFlow{false, ScreenshotPracticeStep::annotate}));
    EXPECT_FALSE(model.videoURL().has_value());
    EXPECT_EQ(model.status(), QStringLiteral("这是练习用的示例图。完成后可以复制或保存到桌面「岚帧」。"));
    EXPECT_EQ(harness.windowShown, shown) << "the callers show the window";
}

}  // namespace
