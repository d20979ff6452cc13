// The editor window on a real X server, grabbed from the server's own
// pixels: the practice image in the editing area, then that screenshot
// with marks, and the start screen with each of the window's sheets. With
// TAVERO_SAMPLES naming a folder, the grabs are written there for a person
// to look at.
#include "document/ui/CanvasView.h"
#include "editor_ui/ActionBar.h"
#include "editor_ui/EditingColumn.h"
#include "editor_ui/GuidanceRow.h"
#include "editor_ui/HeaderBar.h"
#include "editor_ui/OCRView.h"
#include "editor_ui/RecentFilesView.h"
#include "editor_ui/RecordingUnavailableView.h"
#include "editor_ui/ScreenAccessView.h"
#include "editor_ui/SettingsView.h"
#include "editor_ui/ScreenshotPracticeBar.h"
#include "editor_ui/Sidebar.h"
#include "editor_ui/StartView.h"
#include "editor_ui/TaskCard.h"
#include "editor_ui/StatusBar.h"
#include "editor_ui/Workspace.h"
#include "editor_ui/ZoomBar.h"
#include "tests/editor_ui/MainViewFixture.h"

#include <QDir>
#include <QLabel>
#include <QScreen>

using namespace tavero;

namespace {

class MainViewOnX11Test : public test::MainViewTest {
protected:
    EditingColumn& column() { return *view->workspace()->editingColumn(); }

    // The window as the X server shows it, once the canvas shows the
    // picture with its marks (drawn off the main thread) and the window is
    // painted: the paint reaches the server before the grab, on one connection.
    QImage grab() {
        view->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        QCoreApplication::sendPostedEvents();
        CanvasView* canvas = column().canvas();
        if (canvas->isVisible()) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return canvas->showsSettledPicture(); }, 20'000));
        }
        QCoreApplication::sendPostedEvents();
        view->repaint();
        return view->screen()->grabWindow(view->winId()).toImage().convertToFormat(QImage::Format_RGB32);
    }

    static void keep(const QImage& image, const QString& name) {
        const QString folder = qEnvironmentVariable("TAVERO_SAMPLES");
        if (folder.isEmpty()) return;
        QDir().mkpath(folder);
        EXPECT_TRUE(image.save(QDir(folder).filePath(name))) << name.toStdString();
    }

    // Where `widget` lies in the window.
    QRect placeOf(const QWidget* widget) const {
        return QRect(widget->mapTo(view.get(), QPoint(0, 0)), widget->size());
    }

    // The window pixel that shows the image pixel `point`.
    QPoint onScreen(const QPointF& point) {
        CanvasView& canvas = *column().canvas();
        const QRectF shown = canvas.imageRect();
        const QSize size = document().image().size();
        const QPointF inCanvas(shown.x() + point.x() * shown.width() / size.width(),
                               shown.y() + point.y() * shown.height() / size.height());
        return canvas.mapTo(view.get(), inCanvas.toPoint());
    }

    // Two pictures and a video in the library, newest first.
    QList<CaptureRecord> someLibraryEntries() {
        QDir().mkpath(harness.library());
        QList<CaptureRecord> records;
        const QStringList files{QStringLiteral("录屏_2024-05-03_09-30-00_A1B2C3.mp4"),
                                QStringLiteral("标注截图_2024-05-03_09-12-40_9F8E7D.png"),
                                QStringLiteral("截图_2024-05-02_18-05-11_0C1D2E.png")};
        for (const QString& file : files) {
            CaptureRecord record;
            record.id = QUuid::createUuid();
            record.name = file;
            record.file = file;
            record.created = QDateTime(QDate(2024, 5, 3), QTime(9, 30));
            record.kind = file.endsWith(QStringLiteral(".mp4")) ? CaptureRecord::videoKind : CaptureRecord::imageKind;
            if (record.kind == CaptureRecord::imageKind) {
                EXPECT_TRUE(fixtures::screenshotLike(1280, 800).save(harness.libraryFile(file)));
            }
            records.append(record);
        }
        return records;
    }

    static bool near(QColor actual, const QColor& expected, int tolerance = 24) {
        return std::abs(actual.red() - expected.red()) <= tolerance &&
               std::abs(actual.green() - expected.green()) <= tolerance &&
               std::abs(actual.blue() - expected.blue()) <= tolerance;
    }
};

TEST_F(MainViewOnX11Test, ThePracticeImageAndThenAMarkedScreenshotAreLaidOutAsDesigned) {
    view->resize(1180, 790);
    startPractice();
    const QImage practice = grab();
    keep(practice, QStringLiteral("editor-practice.png"));
    ASSERT_EQ(practice.size(), view->size() * view->devicePixelRatio());

    EXPECT_EQ(placeOf(view->header()), QRect(0, 0, 1180, 68));
    EXPECT_EQ(placeOf(view->statusBar()), QRect(0, 790 - 34, 1180, 34));
    const QRect sidebar = placeOf(view->sidebar());
    EXPECT_EQ(sidebar.left(), 0);
    EXPECT_EQ(sidebar.width(), 220);
    EXPECT_EQ(sidebar.top(), 69) << "below the header and its divider";
    const QRect actions = placeOf(column().actionBar());
    EXPECT_EQ(actions.height(), 48);
    EXPECT_GT(actions.left(), sidebar.right());
    EXPECT_EQ(actions.top(), sidebar.top());
    EXPECT_TRUE(column().guidance()->practiceBar()->isVisible());
    const QRect zoom = placeOf(column().zoomBar());
    EXPECT_EQ(zoom.height(), 30);
    EXPECT_EQ(zoom.bottom() + 2, placeOf(view->statusBar()).top()) << "the zoom bar, a divider, the status bar";
    const QRect canvas = placeOf(column().canvas());
    EXPECT_GT(canvas.top(), placeOf(column().guidance()).bottom());
    EXPECT_GT(canvas.height(), 400);

    // The practice picture shows in the canvas.
    const QImage demo = ImageOps::demo();
    for (const QPointF point : {QPointF(80, 560), QPointF(700, 560), QPointF(1150, 40)})
        EXPECT_TRUE(near(practice.pixelColor(onScreen(point)), demo.pixelColor(point.toPoint())))
            << point.x() << "," << point.y();

    // The grab becomes the screenshot being edited, with marks.
    openPicture(practice);
    state().setEditorHintDismissed(true);
    const Ink red = Ink::palette[0];
    document().add(test::makeMark(MarkTool::rectangle, {{240, 90}, {560, 220}}, red, 8));
    document().add(test::makeMark(MarkTool::arrow, {{700, 420}, {420, 230}}, red, 10));
    Mark label = test::makeMark(MarkTool::text, {{640, 470}}, red);
    label.text = QStringLiteral("这里是重点");
    label.fontSize = 40;
    document().add(label);
    const QImage marked = grab();
    keep(marked, QStringLiteral("editor-marks.png"));

    EXPECT_FALSE(column().guidance()->isVisible());
    EXPECT_EQ(view->statusBar()->pixelSizeLabel()->text(), QStringLiteral("1180 × 790"));
    const QColor ink = QColor::fromRgbF(red.r, red.g, red.b);
    EXPECT_TRUE(near(marked.pixelColor(onScreen({400, 90})), ink)) << "the rectangle's top edge";
    EXPECT_TRUE(near(marked.pixelColor(onScreen({560, 325})), ink)) << "the arrow's shaft";
}

TEST_F(MainViewOnX11Test, TheStartScreenAndEachSheetAsAPersonSeesThem) {
    view->resize(1180, 790);
    const QImage start = grab();
    keep(start, QStringLiteral("start-screen.png"));
    const QRect content = placeOf(view->startView()->content());
    EXPECT_EQ(content.width(), StartView::maximumContentWidth);
    EXPECT_TRUE(near(start.pixelColor(content.left() / 2, content.center().y()), TaveroStyle::paper(), 2))
        << "paper beside the content";
    const QRect screenshotCard = placeOf(view->startView()->screenshotCard());
    EXPECT_TRUE(near(start.pixelColor(screenshotCard.left() + 6, screenshotCard.center().y()),
                     TaveroStyle::screenshotSurface(), 3));

    model().setOcrText(QStringLiteral("第一行识别出的文字\nSecond line, in English"));
    model().setHistory({});
    const struct {
        QString name;
        std::function<void()> open;
        std::function<void()> close;
        QSize size;
    } sheets[] = {
        {QStringLiteral("sheet-settings.png"), [&] { state().setSettings(true); }, [&] { state().setSettings(false); },
         {SettingsView::sheetWidth, 0}},
        {QStringLiteral("sheet-recognised-text.png"), [&] { model().setShowOCR(true); },
         [&] { model().setShowOCR(false); }, {OCRView::sheetWidth, 0}},
        {QStringLiteral("sheet-screen-access.png"),
         [&] { model().setScreenAccessIntent(ScreenAccessIntent::screenshot(CaptureMode::area, false)); },
         [&] { model().setScreenAccessIntent(std::nullopt); }, {ScreenAccessView::sheetWidth, 0}},
        {QStringLiteral("sheet-recent-files-empty.png"), [&] { state().setRecentFiles(true); },
         [&] { state().setRecentFiles(false); }, RecentFilesView::sheetSize},
        {QStringLiteral("sheet-recent-files.png"),
         [&] {
             model().setHistory(someLibraryEntries());
             state().setRecentFiles(true);
         },
         [&] { state().setRecentFiles(false); }, RecentFilesView::sheetSize},
        {QStringLiteral("sheet-recording-unavailable.png"), [&] { model().studio().setSetupVisible(true); },
         [&] { model().studio().setSetupVisible(false); }, {RecordingUnavailableView::sheetWidth, 0}},
    };
    for (const auto& sheet : sheets) {
        sheet.open();
        const QList<QDialog*> open = openSheets();
        ASSERT_EQ(open.size(), 1) << sheet.name.toStdString();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(open.first()));
        QTest::qWait(200);
        EXPECT_EQ(open.first()->width(), sheet.size.width()) << sheet.name.toStdString();
        if (sheet.size.height()) {
            EXPECT_EQ(open.first()->height(), sheet.size.height()) << sheet.name.toStdString();
        }
        keep(open.first()->screen()->grabWindow(open.first()->winId()).toImage(), sheet.name);
        sheet.close();
        EXPECT_TRUE(openSheets().isEmpty());
    }
}

}  // namespace
