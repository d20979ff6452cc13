// The main road on a real X server: the model takes an area screenshot whose
// selection is dragged on the real overlay with real input (XTest through
// xdotool), opens it in the document and keeps it in the library folder.
#include "app/model/AppModel.h"
#include "app/model/ModelMessages.h"
#include "capture/ui/SelectionOverlay.h"
#include "capture/ui/WidgetApplicationWindows.h"
#include "document/ShotDocument.h"
#include "platform/desktop/X11ScreenSource.h"
#include "tests/app/model/ModelHarness.h"
#include "tests/capture/ui/ActiveOverlay.h"
#include "tests/support/TestWindows.h"

#include <QApplication>
#include <QRegularExpression>
#include <QWidget>

#include <gtest/gtest.h>

using namespace tavero;

namespace {

const QRect place(400, 300, 320, 240);

TEST(AppModelOnX11Test, AnAreaScreenshotDraggedOnTheOverlayOpensInTheEditorAndLandsFirstInTheLibrary) {
    test::ForeignWindow page(place, 41);
    ASSERT_TRUE(page.start());
    auto screen = std::make_shared<X11ScreenSource>();
    ASSERT_TRUE(test::samePixels(test::grabUntil([&] { return screen->grabArea(place, false); }, page.picture()),
                                 page.picture()));

    test::ModelHarness harness;
    harness.source = screen;
    harness.captureTiming = CaptureTiming{};
    harness.make();
    AppModel& model = harness.model();
    SelectionOverlay overlay;
    WidgetApplicationWindows windows;
    model.capture().setSelectionPresenter(&overlay);
    model.setApplicationWindows(&windows);
    QWidget editor;
    editor.setGeometry(1200, 100, 400, 300);
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    model.setShowWindow([&] { windows.showAll(); });
    QStringList statuses;
    QObject::connect(&model, &AppModel::statusChanged, [&] { statuses.append(model.status()); });

    model.take(CaptureMode::area, false);
    EXPECT_FALSE(model.screenAccessIntent().has_value()) << "X11 grants screen access: the first take captures";
    ASSERT_TRUE(test::overlayIsActive());
    EXPECT_FALSE(editor.isVisible()) << "the editor leaves the screen while the area is chosen";

    const QRect area(place.x() + 30, place.y() + 20, 200, 150);
    ASSERT_TRUE(test::drag(area.topLeft(), area.bottomRight() + QPoint(1, 1)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.history().size() == 1; }, 10'000)) << model.status().toStdString();

    EXPECT_TRUE(test::samePixels(model.document().image(), page.picture().copy(area.translated(-place.topLeft()))));
    EXPECT_EQ(model.document().name(), ModelMessages::newCapture());
    EXPECT_FALSE(model.flow().showingHome);
    EXPECT_TRUE(editor.isVisible()) << "shown again with the capture";
    const CaptureRecord record = model.history().front();
    EXPECT_EQ(statuses, (QStringList{ModelMessages::capturing(), ModelMessages::captureReady(),
                                     ModelMessages::saved(record.name)}));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^截图_.+\\.png$")).match(record.file).hasMatch());
    EXPECT_TRUE(QFile::exists(harness.libraryFile(record.file)));
    ASSERT_FALSE(harness.manifestOnDisk().isEmpty());
    EXPECT_EQ(harness.manifestOnDisk().front(), record);
}

}  // namespace
