// With TAVERO_SAMPLES naming a folder, writes a picture of every tool, cover
// style and frame preset there, so a person can look the drawing over.
#include "document/FrameOptions.h"
#include "document/ImageOps.h"
#include "tests/document/MarkFixtures.h"
#include "tests/support/Pictures.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace tavero;
using test::makeMark;

namespace {

QList<Mark> everyTool() {
    Mark text = makeMark(MarkTool::text, {{560, 330}}, Ink::palette[0]);
    text.text = QStringLiteral("这里要改\n第二行 Second line");
    QList<Mark> marks{
        makeMark(MarkTool::spotlight, {{150, 60}, {880, 540}}),
        makeMark(MarkTool::arrow, {{620, 140}, {420, 230}}, Ink::palette[0]),
        makeMark(MarkTool::rectangle, {{180, 90}, {400, 170}}, Ink::palette[3], 4),
        makeMark(MarkTool::ellipse, {{700, 420}, {860, 500}}, Ink::palette[4], 6),
        makeMark(MarkTool::pen, {{200, 400}, {240, 440}, {280, 400}, {320, 440}, {360, 400}}, Ink::palette[1], 5),
        makeMark(MarkTool::highlight, {{180, 272}, {700, 300}}, Ink::palette[2]),
        makeMark(MarkTool::redact, {{180, 476}, {420, 500}}),
        makeMark(MarkTool::pixelate, {{460, 470}, {660, 530}}),
        text,
    };
    for (int number = 1; number <= 3; ++number) {
        Mark counter = makeMark(MarkTool::counter, {{QPointF(200 + 70 * number, 230)}}, Ink::palette[0]);
        counter.text = QString::number(number);
        marks.append(counter);
    }
    return marks;
}

QList<std::pair<QString, QImage>> samples() {
    const QImage screenshot = fixtures::screenshotLike(900, 560);
    QList<std::pair<QString, QImage>> pictures{{QStringLiteral("全部工具"), ImageOps::render(screenshot, everyTool())}};
    for (ObscureStyle style : allObscureStyles) {
        const Mark cover = test::coverMark(QRectF(150, 60, 420, 300), ObscureSettings{style, 24, 0.28});
        pictures.append({title(style), ImageOps::render(screenshot, {cover})});
    }
    const QImage small = fixtures::screenshotLike(300, 190);
    for (FramePreset preset : allFramePresets)
        pictures.append({title(preset), ImageOps::framed(small, FrameOptions{preset, 48, 16}, 1)});
    for (GradientDirection direction : allGradientDirections)
        pictures.append({title(direction), ImageOps::framed(small, FrameOptions{FramePreset::sky, 48, 16, direction}, 1)});
    pictures.append({QStringLiteral("深色短版"), ImageOps::framed(small, 48, true)});
    return pictures;
}

}  // namespace

TEST(ImageSamples, ShowEveryToolCoverAndFrame) {
    const QList<std::pair<QString, QImage>> pictures = samples();
    const QString folder = qEnvironmentVariable("TAVERO_SAMPLES");
    if (folder.isEmpty()) GTEST_SKIP() << "set TAVERO_SAMPLES to a folder to receive the samples";
    ASSERT_TRUE(QDir().mkpath(folder));
    for (qsizetype index = 0; index < pictures.size(); ++index) {
        const auto& [name, picture] = pictures[index];
        ASSERT_TRUE(picture.save(QDir(folder).filePath(QStringLiteral("image-operations-%1-%2.png").arg(index).arg(name))));
    }
}
