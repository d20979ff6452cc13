// A project at the bounds, as a user meets it in the real program: opened,
// added to with the canvas, saved as an editable project, and opened again
// with nothing lost.
#include "document/ImageOps.h"
#include "library/EditableShot.h"
#include "platform/desktop/X11ScreenSource.h"
#include "platform/files/AtomicFile.h"
#include "tests/app/ProgramUnderScreenReader.h"
#include "tests/document/DocumentFixtures.h"
#include "tests/support/Files.h"
#include "tests/support/RealInput.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace tavero;

namespace {

const QColor magenta(255, 0, 255);

class ProjectBoundsOnX11Test : public test::ProgramUnderScreenReader {
protected:
    // Where the screen shows the lower right of the magenta picture, once it does.
    std::optional<QPoint> lowerRightOfThePicture() {
        std::optional<QPoint> found;
        (void)within([&] {
            const QImage shot = screen.grab(ContentFilter::forDisplay(screen.displays().first()), false);
            QRect picture;
            for (int y = 0; y < shot.height(); y += 4)
                for (int x = 0; x < shot.width(); x += 4)
                    if (shot.pixelColor(x, y) == magenta) picture |= QRect(x, y, 1, 1);
            if (picture.width() > 100 && picture.height() > 100)
                found = picture.topLeft() + QPoint(picture.width() * 4 / 5, picture.height() * 4 / 5);
            return found.has_value();
        });
        return found;
    }

    X11ScreenSource screen;
};

// 10,000 counters, one more added with 序号, a label of "a" and 2,500 😀
// pasted, and a box: the label is cut between characters and says why, and
// the project saved holds 10,001 counters, the label whole and the box
// without its text, and opens again.
TEST_F(ProjectBoundsOnX11Test, ACounterAndALongLabelAddedToTenThousandCountersAreSavedAndOpenAgain) {
    QImage picture = ImageOps::context(900, 600);
    picture.fill(magenta);
    const QString opened = home.path() + QStringLiteral("/一万个序号.vistagon");
    ASSERT_TRUE(writeFileAtomically(opened, encodeEditableShot({1, ImageOps::png(picture, QStringLiteral("png")),
                                                                test::counters(10'000)})));
    const QString smiles = QStringLiteral("😀").repeated(2'500);
    QProcess clipboard;
    clipboard.start(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard")});
    ASSERT_TRUE(clipboard.waitForStarted(5'000));
    clipboard.write(smiles.toUtf8());
    clipboard.closeWriteChannel();
    ASSERT_TRUE(clipboard.waitForFinished(5'000));
    ASSERT_NO_FATAL_FAILURE(start({opened}));
    ASSERT_TRUE(within([&] { return statusSays(QStringLiteral("已打开：一万个序号.vistagon")); }));

    const std::optional<QPoint> target = lowerRightOfThePicture();
    ASSERT_TRUE(target.has_value()) << "the picture is shown";
    const auto clickAt = [](QPoint point) {
        return test::xdotool({QStringLiteral("mousemove"), QString::number(point.x()), QString::number(point.y()),
                              QStringLiteral("click"), QStringLiteral("1")});
    };
    ASSERT_TRUE(reader.act(pushButton, QStringLiteral("更多标注工具"), press));
    ASSERT_TRUE(within([&] { return reader.act(QStringLiteral("radio button"), QStringLiteral("序号"), press); }));
    ASSERT_TRUE(clickAt(*target));
    ASSERT_TRUE(reader.act(QStringLiteral("radio button"), QStringLiteral("文字"), press));
    ASSERT_TRUE(clickAt(*target - QPoint(150, 100)));
    ASSERT_TRUE(within([&] { return reader.shows(QStringLiteral("text"), QStringLiteral("图片上的文字输入框")); }));
    ASSERT_TRUE(test::xdotool({QStringLiteral("type"), QStringLiteral("a")}));
    ASSERT_TRUE(test::xdotool({QStringLiteral("key"), QStringLiteral("ctrl+v")}));
    EXPECT_TRUE(within([&] { return statusSays(QStringLiteral("一段文字最多 5000 个字符（表情等符号算两个），多出的部分没有加入。")); }));
    ASSERT_TRUE(test::xdotool({QStringLiteral("key"), QStringLiteral("Return")}));
    ASSERT_TRUE(reader.act(QStringLiteral("radio button"), QStringLiteral("方框"), press));
    ASSERT_TRUE(test::drag(*target - QPoint(100, 80), *target - QPoint(40, 30)));

    ASSERT_TRUE(within([&] { return reader.act(pushButton, QStringLiteral("保存"), QStringLiteral("ShowMenu")); }));
    ASSERT_TRUE(within([&] { return reader.act(QStringLiteral("menu item"), QStringLiteral("保存可编辑工程"), press); }));
    const QString projects = QStringLiteral("*.vistagon");
    ASSERT_TRUE(within([&] { return inLibrary(projects).size() == 1; }));
    const QString saved = inLibrary(projects).first();
    const OpenedProject written = readProject(saved);
    ASSERT_EQ(written.marks.size(), 10'003);
    EXPECT_EQ(written.marks[10'000].text, QStringLiteral("10001"));
    EXPECT_EQ(written.marks.last().tool, MarkTool::rectangle);
    const QString text = written.marks[10'001].text;
    EXPECT_TRUE(text == QStringLiteral("a") + smiles.left(4'998))
        << text.size() << " code units, ending in U+" << QString::number(text.back().unicode(), 16).toStdString();
    EXPECT_EQ(test::readFile(saved).count(text.toUtf8()), 1) << "the box keeps none of the label's text";

    const QString again = home.path() + QStringLiteral("/再次打开.vistagon");
    ASSERT_TRUE(QFile::copy(saved, again));
    QProcess second;
    second.setProcessEnvironment(reader.environment());
    second.start(QStringLiteral(TAVERO_EXECUTABLE), {again});
    ASSERT_TRUE(second.waitForFinished(10'000));
    EXPECT_TRUE(within([&] { return statusSays(QStringLiteral("已打开：再次打开.vistagon")); }))
        << "the running program opens what it saved";
}

}  // namespace
