#include "document/FrameOptions.h"
#include "document/ImageOps.h"
#include "platform/Fonts.h"
#include "tests/document/MarkFixtures.h"
#include "tests/support/Pictures.h"

#include <QDir>

#include <gtest/gtest.h>

// Writes one picture of every tool, cover style and frame preset into the
// folder named by TAVERO_SAMPLES, so a person can look the drawing over.
using namespace tavero;
using test::makeMark;

namespace {

constexpr int sheetWidth = 1880;
constexpr int gap = 40;

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

void caption(QPainter& painter, QPointF origin, const QString& text) {
    painter.setFont(Fonts::system(22, FontWeight::semibold));
    painter.setPen(QColor(40, 40, 40));
    painter.drawText(QRectF(origin, QSizeF(600, 40)), Qt::AlignLeft | Qt::AlignTop, text);
}

// Draws `pictures` in a row from `top`, captioned; returns the row's bottom.
int row(QPainter& painter, int top, const QList<std::pair<QString, QImage>>& pictures) {
    int left = gap, bottom = top;
    for (const auto& [title, picture] : pictures) {
        caption(painter, QPointF(left, top), title);
        painter.drawImage(left, top + 40, picture);
        left += picture.width() + gap;
        bottom = std::max(bottom, top + 40 + picture.height());
    }
    return bottom + gap;
}

QImage contactSheet() {
    const QImage screenshot = fixtures::screenshotLike(900, 560);
    QList<std::pair<QString, QImage>> tools{{QStringLiteral("全部工具"), ImageOps::render(screenshot, everyTool())}};

    QList<std::pair<QString, QImage>> covers;
    for (ObscureStyle style : allObscureStyles) {
        const Mark cover = test::coverMark(QRectF(150, 60, 420, 300), ObscureSettings{style, 24, 0.28});
        covers.append({title(style), ImageOps::render(screenshot, {cover}).scaled(560, 348, Qt::KeepAspectRatio,
                                                                                  Qt::SmoothTransformation)});
    }

    const QImage small = fixtures::screenshotLike(300, 190);
    QList<std::pair<QString, QImage>> firstFrames, secondFrames;
    for (FramePreset preset : allFramePresets) {
        auto& frames = firstFrames.size() < 4 ? firstFrames : secondFrames;
        frames.append({title(preset), ImageOps::framed(small, FrameOptions{preset, 48, 16}, 1)});
    }
    QList<std::pair<QString, QImage>> directions;
    for (GradientDirection direction : allGradientDirections)
        directions.append({title(direction), ImageOps::framed(small, FrameOptions{FramePreset::sky, 48, 16, direction}, 1)});
    directions.append({QStringLiteral("深色短版"), ImageOps::framed(small, 48, true)});

    QImage sheet = ImageOps::context(sheetWidth, 2560);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    int top = row(painter, gap, tools);
    top = row(painter, top, covers);
    top = row(painter, top, firstFrames);
    top = row(painter, top, secondFrames);
    top = row(painter, top, directions);
    painter.end();
    return sheet.copy(0, 0, sheetWidth, top);
}

}  // namespace

TEST(ContactSheet, ShowsEveryToolCoverAndFrame) {
    const QImage sheet = contactSheet();
    ASSERT_FALSE(sheet.isNull());
    const QString folder = qEnvironmentVariable("TAVERO_SAMPLES");
    if (folder.isEmpty()) GTEST_SKIP() << "set TAVERO_SAMPLES to a folder to receive the contact sheet";
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = QDir(folder).filePath(QStringLiteral("image-operations.png"));
    ASSERT_TRUE(sheet.save(path));
    EXPECT_EQ(ImageOps::load(path).size(), sheet.size());
}
