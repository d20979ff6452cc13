#include "platform/text/TextRecognitionBlocks.h"
#include "platform/text/TextRecognitionInk.h"
#include "platform/text/TextRecognitionLines.h"
#include "tests/support/Pictures.h"

#include <QPainter>

#include <gtest/gtest.h>

using namespace tavero;
using namespace tavero::TextRecognition;

namespace {

// A page of ink: white, with black blocks where the given rectangles are.
QImage inkPage(const QList<QRect>& ink, QSize size = {800, 300}) {
    QImage page(size, QImage::Format_Grayscale8);
    page.fill(Qt::white);
    QPainter painter(&page);
    for (const QRect& block : ink) painter.fillRect(block, Qt::black);
    return page;
}

int darkPixels(const QImage& grey, const QRect& area) {
    int dark = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) dark += grey.pixelColor(x, y).value() < 128;
    return dark;
}

}  // namespace

TEST(TextRecognitionLinesTest, JoinsPiecesOfALineAndKeepsColumnsAndRowsApart) {
    // Two words 10 pixels apart, a character cut into an upper and a lower
    // stroke, a column 80 pixels away, and a second row.
    const QList<QRect> pieces{{20, 20, 60, 20}, {90, 20, 40, 20},  {140, 20, 16, 8},
                              {140, 32, 16, 8}, {240, 20, 50, 20}, {20, 60, 100, 20}};
    const std::vector<QRect> lines = textLines(inkPage(pieces), {pieces.begin(), pieces.end()});
    EXPECT_EQ(lines, (std::vector<QRect>{{20, 20, 136, 20}, {240, 20, 50, 20}, {20, 60, 100, 20}}));
}

TEST(TextRecognitionLinesTest, WidensLinesOverInkTheAnalysisLeftOutAndDropsSpecks) {
    // A comma 4 pixels after the line, a character 30 pixels away (too far),
    // and a dot.
    const QRect line(100, 20, 120, 20), comma(224, 34, 4, 6), far(250, 20, 20, 20), dot(400, 100, 5, 5);
    const std::vector<QRect> lines = textLines(inkPage({line, comma, far, dot}), {line, dot});
    EXPECT_EQ(lines, (std::vector<QRect>{{100, 20, 128, 20}}));
}

TEST(TextRecognitionLinesTest, ReadsRowsTopToBottomAndLeftToRight) {
    const QList<QRect> pieces{{400, 102, 80, 20}, {20, 100, 80, 20}, {400, 20, 80, 20}, {20, 60, 80, 20}};
    const std::vector<QRect> lines = textLines(inkPage(pieces), {pieces.begin(), pieces.end()});
    EXPECT_EQ(lines, (std::vector<QRect>{pieces[2], pieces[3], pieces[1], pieces[0]}));
}

// Lines level with each other on a page and on a dark panel beside it, then
// two columns of long lines on one page: each block is read whole, the left
// one first.
TEST(TextRecognitionLinesTest, ReadsBlocksWholeTopToBottomAndLeftToRight) {
    QImage grey(1000, 400, QImage::Format_Grayscale8);
    grey.fill(Qt::white);
    QPainter(&grey).fillRect(600, 0, 400, 400, QColor(40, 40, 40));
    const std::vector<QRect> report{{40, 40, 500, 20}, {40, 80, 480, 20}, {40, 120, 300, 20}};
    const std::vector<QRect> panel{{640, 40, 60, 20}, {640, 80, 200, 20}};
    std::vector<QRect> level{report[0], panel[0], report[1], panel[1], report[2]};
    std::vector<QRect> expected = report;
    expected.insert(expected.end(), panel.begin(), panel.end());
    EXPECT_EQ(inReadingOrder(level, Backgrounds(grey)), expected);

    const std::vector<QRect> columns{{40, 200, 420, 20}, {520, 200, 420, 20}, {40, 240, 420, 20},
                                     {520, 240, 400, 20}, {40, 280, 200, 20}};
    EXPECT_EQ(inReadingOrder(columns, {}),
              (std::vector<QRect>{columns[0], columns[2], columns[4], columns[1], columns[3]}));
}

TEST(TextRecognitionLinesTest, ReadsATableRowByRow) {
    std::vector<QRect> cells;
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column) cells.emplace_back(40 + 240 * column, 40 + 50 * row, 90, 20);
    std::vector<QRect> shuffled(cells.rbegin(), cells.rend());
    EXPECT_EQ(inReadingOrder(shuffled, {}), cells);
}

TEST(TextRecognitionLinesTest, TidiesReadingsAndTellsTextFromMarks) {
    EXPECT_EQ(tidied(QStringLiteral(" 提示: 按住空格键! 好吗? 是, 的; ")),
              QStringLiteral("提示：按住空格键！好吗？是，的；"));
    EXPECT_EQ(tidied(QStringLiteral("会议记录.txt 14:32 Ctrl+Shift+2: 截图")),
              QStringLiteral("会议记录.txt 14:32 Ctrl+Shift+2: 截图"));

    EXPECT_FALSE(looksLikeText(QStringLiteral("| —"), 95)) << "no letter or digit";
    EXPECT_FALSE(looksLikeText(QStringLiteral("忆"), 30)) << "one unsure character";
    EXPECT_TRUE(looksLikeText(QStringLiteral("录屏"), 60));
    EXPECT_TRUE(looksLikeText(QStringLiteral("按放100%"), 0)) << "a misread line is still a line";

    EXPECT_TRUE(mostlyLatin(QStringLiteral("v2.7.13")));
    EXPECT_TRUE(mostlyLatin(QStringLiteral("半1,234.56"))) << "a currency sign read as Han";
    EXPECT_FALSE(mostlyLatin(QStringLiteral("截图 2024-05-18.png")));
    EXPECT_FALSE(mostlyLatin(QStringLiteral("秒")));
    EXPECT_TRUE(englishReadsBetter(QStringLiteral("V2.7.13"), 90, 88));
    EXPECT_FALSE(englishReadsBetter(QStringLiteral("V2.7.13"), 95, 88));
    EXPECT_FALSE(englishReadsBetter(QStringLiteral("0.35 秒"), 85, 84)) << "English cannot read the Han character";
    EXPECT_TRUE(sureEnglish(QStringLiteral("Copy and close"), 92));
    EXPECT_FALSE(sureEnglish(QStringLiteral("Copy and close"), 85));
    EXPECT_FALSE(sureEnglish(QStringLiteral("Rt"), 95)) << "a short Chinese word misread";
}

// Light text on a dark panel and dark text on a light page both come out as
// dark ink on white; the panels themselves, a large dot and a photo are paper.
TEST(TextRecognitionLinesTest, InkOnPaperFlattensPanelsWhateverTheirShade) {
    QImage screen(600, 200, QImage::Format_Grayscale8);
    screen.fill(QColor(243, 243, 243));
    QPainter painter(&screen);
    painter.fillRect(0, 0, 200, 200, QColor(43, 43, 43));
    painter.fillRect(40, 90, 100, 3, QColor(232, 232, 232));
    painter.fillRect(300, 90, 100, 3, QColor(30, 30, 30));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(120, 120, 120));
    painter.drawEllipse(QPointF(520, 100), 20, 20);
    painter.drawImage(440, 140, fixtures::noise(100, 50).convertToFormat(QImage::Format_Grayscale8));
    painter.end();

    const QImage ink = inkOnPaper(screen);
    EXPECT_EQ(darkPixels(ink, {40, 90, 100, 3}), 300) << "light stroke on the dark panel";
    EXPECT_EQ(darkPixels(ink, {300, 90, 100, 3}), 300) << "dark stroke on the light page";
    EXPECT_EQ(darkPixels(ink, ink.rect()), 600) << "panels and the dot are paper";

    QImage photo(64, 64, QImage::Format_Grayscale8);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) photo.scanLine(y)[x] = uchar((x * 37 + y * 91) % 251);
    EXPECT_EQ(inkOnPaper(photo), photo) << "nothing flat: nothing to flatten";
}
