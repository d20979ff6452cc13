// The editor window on a real X server, grabbed from the server's own
// pixels: the practice image in the editing area, then that screenshot
// with marks. With TAVERO_SAMPLES naming a folder, both grabs are written
// there for a person to look at.
#include "document/ui/CanvasView.h"
#include "editor_ui/ActionBar.h"
#include "editor_ui/EditingColumn.h"
#include "editor_ui/GuidanceRow.h"
#include "editor_ui/HeaderBar.h"
#include "editor_ui/ScreenshotPracticeBar.h"
#include "editor_ui/Sidebar.h"
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

    // The window as the X server shows it.
    QImage grab() {
        view->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        QTest::qWait(300);
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

TEST_F(MainViewOnX11Test, TheStartScreenAsAPersonSeesIt) {
    view->resize(1180, 790);
    keep(grab(), QStringLiteral("start-screen.png"));
}

}  // namespace
