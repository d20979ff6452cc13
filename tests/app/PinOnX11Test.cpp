// Pinned windows and the clipboard on a real X server with a window manager,
// read from outside the program as another application sees them.
#include "app/PinWindow.h"
#include "app/WidgetPinPresenter.h"
#include "app/model/AppModel.h"
#include "app/model/RenderMessages.h"
#include "document/ImageOps.h"
#include "document/ShotDocument.h"
#include "tests/app/model/ModelHarness.h"

#include <QGuiApplication>
#include <QProcess>
#include <QPushButton>
#include <QScreen>

#include <gtest/gtest.h>

using namespace tavero;

namespace {

// Runs a tool while our event loop keeps serving the X server, which the
// clipboard needs: the tool asks this process for the data.
QByteArray output(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 10'000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return process.readAllStandardOutput();
}

QByteArray clipboard(const QString& target) {
    return output(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard"),
                                            QStringLiteral("-t"), target, QStringLiteral("-o")});
}

// The data types offered, without the ones every owner of the clipboard answers.
QStringList offeredTypes() {
    const QStringList protocol{QStringLiteral("TARGETS"), QStringLiteral("MULTIPLE"), QStringLiteral("TIMESTAMP"),
                               QStringLiteral("SAVE_TARGETS")};
    QStringList types;
    for (const QString& type : QString::fromUtf8(clipboard(QStringLiteral("TARGETS"))).split(QLatin1Char('\n')))
        if (!type.isEmpty() && !protocol.contains(type)) types.append(type);
    return types;
}

Mark frame() {
    Mark mark;
    mark.tool = MarkTool::rectangle;
    mark.points = {QPointF(30, 30), QPointF(250, 150)};
    mark.ink = Ink{0.9, 0.1, 0.1, 1};
    return mark;
}

TEST(PinOnX11Test, CopyOffersOtherProgramsExactlyOnePngWithTheMarks) {
    test::ModelHarness harness;
    AppModel& model = harness.model();
    model.document().open(fixtures::noise(320, 200, 21), QStringLiteral("测试"), {frame()});

    model.copy();
    ASSERT_TRUE(harness.waitForStatus(RenderMessages::copied()));
    EXPECT_EQ(offeredTypes(), QStringList{QStringLiteral("image/png")});
    const QByteArray png = clipboard(QStringLiteral("image/png"));
    EXPECT_EQ(png.mid(25, 1), QByteArray(1, 2)) << "an opaque picture is copied as RGB, without alpha";
    const QImage pasted = ImageOps::decode(png);
    EXPECT_EQ(pasted.convertToFormat(ImageOps::surfaceFormat), ImageOps::render(model.document().image(), {frame()}));
}

TEST(PinOnX11Test, APinFloatsCentredOnEveryWorkspaceAndItsCopyReachesOtherPrograms) {
    WidgetPinPresenter presenter;
    test::ModelHarness harness;
    AppModel& model = harness.model();
    model.setPinPresenter(&presenter);
    model.document().open(fixtures::noise(320, 200, 22), QStringLiteral("测试"), {frame()});
    const QImage pinned = ImageOps::render(model.document().image(), {frame()});

    model.pin();
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.pins().size() == 1; }, 20'000));
    auto& window = dynamic_cast<PinWindow&>(*model.pins().front());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QString properties = QString::fromUtf8(
        output(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window.winId()),
                                         QStringLiteral("_NET_WM_STATE"), QStringLiteral("_NET_WM_DESKTOP"),
                                         QStringLiteral("_NET_WM_WINDOW_TYPE")}));
    EXPECT_TRUE(properties.contains(QStringLiteral("_NET_WM_STATE_ABOVE"))) << properties.toStdString();
    EXPECT_TRUE(properties.contains(QStringLiteral("_NET_WM_DESKTOP(CARDINAL) = 4294967295")))
        << properties.toStdString();
    EXPECT_TRUE(properties.contains(QStringLiteral("_NET_WM_WINDOW_TYPE_UTILITY"))) << properties.toStdString();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((window.geometry().center() - screen.center()).manhattanLength(), 40) << "centred";

    window.findChild<QPushButton*>()->click();
    const QByteArray png = clipboard(QStringLiteral("image/png"));
    EXPECT_EQ(png.mid(25, 1), QByteArray(1, 2)) << "an opaque picture is offered as RGB, without alpha";
    const QImage pasted = ImageOps::decode(png);
    EXPECT_EQ(pasted.convertToFormat(ImageOps::surfaceFormat), pinned) << "other programs get the picture";
}

}  // namespace
