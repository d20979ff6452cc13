#include "app/model/AppModel.h"
#include "app/model/ModelMessages.h"
#include "document/ShotDocument.h"
#include "library/LibraryMessages.h"
#include "platform/SettingsValues.h"
#include "tests/app/model/ModelHarness.h"
#include "tests/support/Files.h"
#include "tests/support/Pictures.h"

#include <QDir>

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace tavero;
using test::ModelHarness;

namespace {

CaptureRecord record(const QString& file) {
    return {QUuid::createUuid(), file, file, QDateTime::currentDateTime(), 10, 10, CaptureRecord::imageKind};
}

TEST(AppModelTest, AutoSaveIsOnUntilTurnedOffAndStaysOffInTheNextRun) {
    ModelHarness harness;
    EXPECT_TRUE(harness.model().autoSave()) << "no stored value";
    QSignalSpy changes(&harness.model(), &AppModel::autoSaveChanged);
    harness.model().setAutoSave(false);
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(SettingsValues::readBool(QSettings(), QStringLiteral("autoSave")), false);

    harness.make();
    EXPECT_FALSE(harness.model().autoSave()) << "the next run reads the stored false";
    QSettings().setValue(QStringLiteral("autoSave"), QStringLiteral("maybe"));
    harness.make();
    EXPECT_TRUE(harness.model().autoSave()) << "a stored value that is no Boolean counts as on";
}

TEST(AppModelTest, FailShowsTheSentenceInAlertAndStatusClearsBusyAndShowsTheWindow) {
    ModelHarness harness;
    AppModel& model = harness.model();
    model.take(CaptureMode::area, false);
    ASSERT_TRUE(harness.overlay.waitUntilOpen());
    ASSERT_TRUE(model.busy());
    const int shown = harness.windowShown;

    model.fail(ShotError(QStringLiteral("图片编码失败。")));
    EXPECT_EQ(model.error(), QStringLiteral("图片编码失败。"));
    EXPECT_EQ(model.status(), QStringLiteral("图片编码失败。"));
    EXPECT_FALSE(model.busy());
    EXPECT_EQ(harness.windowShown, shown + 1);
    harness.overlay.answer(std::nullopt);
}

TEST(AppModelTest, SavingARecordAlreadyListedKeepsOneEntryAtTheTop) {
    ModelHarness harness;
    AppModel& model = harness.model();
    const CaptureRecord first = record(QStringLiteral("a.png")), second = record(QStringLiteral("b.png"));
    const CaptureRecord third = record(QStringLiteral("c.png"));
    model.setHistory({first, second, third});

    CaptureRecord renamed = second;
    renamed.name = QStringLiteral("b2.png");
    model.saved(renamed);
    EXPECT_EQ(model.history(), (QList<CaptureRecord>{renamed, first, third}));
    EXPECT_EQ(model.status(), ModelMessages::saved(QStringLiteral("b2.png")));

    model.saved(ShotError(QStringLiteral("无法创建图片文件。")));
    EXPECT_EQ(model.error(), QStringLiteral("无法创建图片文件。"));
    EXPECT_EQ(model.history().size(), 3);
}

// Refreshing drops removed files; the program's own test checks that, and
// the delegate's test that becoming active refreshes.
TEST(AppModelTest, TheLibraryIsLoadedAtCreation) {
    ModelHarness harness;
    test::writeFile(harness.libraryFile(QStringLiteral("a.png")), "png");
    const CaptureRecord kept = record(QStringLiteral("a.png"));
    test::writeFile(harness.libraryFile(QStringLiteral("index.json")), encodeManifest({kept}));
    AppModel& model = harness.model();
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.history().size() == 1; }, 10'000));
    EXPECT_EQ(model.history().front(), kept);
}

TEST(AppModelTest, AnUnreadableLibraryNamesTheFolderInTheStatus) {
    ModelHarness harness;
    test::writeFile(harness.libraryFile(QStringLiteral("index.json")), "[{\"id\": 1}]");
    AppModel& model = harness.model();
    const QString prefix = library::messages::loadFailed(QString());
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.status().startsWith(prefix); }, 10'000));
    EXPECT_GT(model.status().size(), prefix.size()) << "followed by the reason";
    EXPECT_TRUE(model.history().isEmpty());
    EXPECT_FALSE(model.error().has_value()) << "no alert";
}

// The save after an unreadable load replaces the manifest, taking its
// records out of the history: the status line says where they are, once.
TEST(AppModelTest, AManifestSetAsideIsNamedOnceInTheStatus) {
    ModelHarness harness;
    test::writeFile(harness.libraryFile(QStringLiteral("index.json")), "[{\"id\": 1}]");
    AppModel& model = harness.model();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !model.status().startsWith(ModelMessages::ready()); }, 10'000));
    const auto save = [&] {
        std::optional<CaptureRecord> saved;
        model.library().persist(fixtures::screenshotLike(40, 30), [&](Result<CaptureRecord> result) {
            model.saved(result);
            saved = result ? result.value() : CaptureRecord{};
        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return saved.has_value(); }, 10'000));
        return saved.value_or(CaptureRecord{});
    };
    const CaptureRecord first = save();
    const QStringList kept = QDir(harness.libraryFile(QString())).entryList({QStringLiteral("index.json.broken-*")});
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(model.status(), ModelMessages::saved(first.name) + QLatin1Char(' ') + ModelMessages::manifestKeptAside(kept[0]));
    const CaptureRecord second = save();
    EXPECT_EQ(model.status(), ModelMessages::saved(second.name)) << "said once";
}

TEST(AppModelTest, AVideoLeavesTheStartScreenAndEndsThePracticeButNoVideoChangesNothing) {
    ModelHarness harness;
    AppModel& model = harness.model();
    model.setVideoURL(std::nullopt);
    EXPECT_TRUE(model.flow().showingHome);

    model.setFlow(WorkspaceFlow{true, ScreenshotPracticeStep::share});
    model.setVideoURL(QStringLiteral("/tmp/录屏.mp4"));
    EXPECT_EQ(model.flow(), (WorkspaceFlow{false, std::nullopt}));

    model.goHome();
    model.setVideoURL(QStringLiteral("/tmp/录屏.mp4"));
    EXPECT_FALSE(model.flow().showingHome) << "the same video assigned again still shows it";
}

TEST(AppModelTest, GoingHomeCommitsTextEditingAndResumingReturnsToTheContent) {
    ModelHarness harness;
    AppModel& model = harness.model();
    model.document().open(fixtures::noise(200, 100), ModelMessages::newCapture());
    test::typeLabel(model.document(), QPointF(20, 20), QStringLiteral("重点"));
    model.setFlow(WorkspaceFlow{false, ScreenshotPracticeStep::background});

    model.goHome();
    EXPECT_EQ(harness.firstResponderResigned, 1);
    EXPECT_FALSE(model.document().isEditingText());
    ASSERT_EQ(model.document().marks().size(), 1) << "the text was kept";
    EXPECT_EQ(model.flow(), (WorkspaceFlow{true, ScreenshotPracticeStep::background}));

    model.resumeWorkspace();
    EXPECT_EQ(model.flow(), (WorkspaceFlow{false, ScreenshotPracticeStep::background}));
}

}  // namespace
