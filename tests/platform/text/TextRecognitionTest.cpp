#include "platform/Fonts.h"
#include "platform/ShotError.h"
#include "platform/text/TextRecognition.h"
#include "tests/support/Pictures.h"
#include "tests/support/RecognitionPages.h"
#include "tests/support/TempDir.h"

#include <QLinearGradient>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <thread>
#include <vector>

using namespace tavero;

namespace {

struct Line {
    QString text;
    QPointF topLeft;
    double size;
    QColor color;
};

const QColor teal = QColor::fromRgbF(0.02f, 0.57f, 0.49f);

QImage picture(const QList<Line>& lines, QSize size = {1200, 520}) {
    QImage image(size, QImage::Format_RGBA8888_Premultiplied);
    image.fill(QColor::fromRgbF(0.96f, 0.97f, 0.95f));
    QPainter painter(&image);
    painter.setPen(Qt::NoPen);
    painter.setBrush(teal);
    painter.drawRoundedRect(QRectF(64, 300, 330, 200), 18, 18);
    for (const Line& line : lines) {
        painter.setFont(Fonts::system(line.size, FontWeight::semibold));
        painter.setPen(line.color);
        painter.drawText(QRectF(line.topLeft, QSizeF(size.width(), line.size * 2)), Qt::AlignLeft | Qt::AlignTop,
                         line.text);
    }
    return image;
}

// A large coloured heading, body lines, English, and white text on a card.
QImage practiceLike() {
    return picture({{QStringLiteral("岚帧 · 上手练习"), {64, 72}, 64, teal},
                    {QStringLiteral("让重点一眼可见。"), {64, 144}, 48, Qt::black},
                    {QStringLiteral("Screenshot 2026 ready"), {64, 234}, 25, Qt::darkGray},
                    {QStringLiteral("01  画个箭头"), {92, 334}, 30, Qt::white}});
}

std::string joined(const QStringList& lines) { return lines.join(QLatin1Char('|')).toStdString(); }

}  // namespace

TEST(TextRecognitionTest, ReadsEveryLineOfAScreenshotTopToBottomWithoutSpacesInChinese) {
    const QStringList lines = TextRecognition::recognizeLines(practiceLike());
    ASSERT_EQ(lines.size(), 4) << joined(lines);
    // The bold 64-pixel brand name is read or misread depending on the exact
    // rasterisation (the self test checks it on the practice image itself);
    // the rest of the heading must come through.
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("上手练习"))) << joined(lines);
    EXPECT_EQ(lines[1], QStringLiteral("让重点一眼可见。"));
    EXPECT_EQ(lines[2], QStringLiteral("Screenshot 2026 ready"));
    EXPECT_TRUE(lines[3].endsWith(QStringLiteral("画个箭头"))) << "white on a coloured card: " << joined(lines);
}

TEST(TextRecognitionTest, ReadsThreeClearLinesBackExactly) {
    const fixtures::RecognitionPage page = fixtures::threeLinePage();
    EXPECT_EQ(TextRecognition::recognizeLines(page.image), page.lines);
}

// A window: dark sidebar, a coloured button and a dark toast with light text,
// beside dark text on light panels.
TEST(TextRecognitionTest, ReadsLightTextOnDarkPanelsAsWellAsDarkOnLight) {
    const auto pages = fixtures::recognitionPages();
    const auto window =
        std::find_if(pages.begin(), pages.end(), [](const auto& page) { return page.name == "window"; });
    ASSERT_NE(window, pages.end());
    const QStringList lines = TextRecognition::recognizeLines(window->image);
    for (const QString& expected : {QStringLiteral("全部截图"), QStringLiteral("回收站"), QStringLiteral("开始录制"),
                                    QStringLiteral("已复制图片，可以直接粘贴。"), QStringLiteral("今日截图"),
                                    QStringLiteral("Build #4821 passed in 3m 12s")})
        EXPECT_TRUE(lines.contains(expected)) << expected.toStdString() << " in " << joined(lines);
}

// Copied text reads as the page does: a panel beside a report, two columns,
// a dialog over a page stay whole blocks, and a table comes out row by row.
TEST(TextRecognitionTest, ReadsPagesOfSeveralBlocksInReadingOrder) {
    for (const fixtures::RecognitionPage& page : fixtures::layoutPages()) {
        const QStringList lines = TextRecognition::recognizeLines(page.image);
        EXPECT_LE(fixtures::readingOrderErrorRate(page.lines, lines), 0.05)
            << page.name.toStdString() << ": " << joined(lines);
        if (page.name != QLatin1String("table")) continue;
        const auto rowOf = [&](const QString& cell) {
            return std::find_if(lines.begin(), lines.end(), [&](const QString& line) { return line.contains(cell); }) -
                   lines.begin();
        };
        EXPECT_LT(rowOf(QStringLiteral("86 MB")), rowOf(QStringLiteral("安装步骤"))) << "row by row: " << joined(lines);
        EXPECT_LT(rowOf(QStringLiteral("安装步骤")), rowOf(QStringLiteral("12 MB"))) << joined(lines);
    }
}

TEST(TextRecognitionTest, FindsNothingInAPictureWithoutText) {
    EXPECT_TRUE(TextRecognition::recognizeLines(picture({})).isEmpty());
    // What screenshots hold besides text: dots, a slider, buttons, a dark
    // pill, a rule, pictures. (A row of rings is a row of the letter O to any
    // reader.)
    QImage controls(900, 400, QImage::Format_RGB32);
    controls.fill(QColor(243, 244, 242));
    QPainter painter(&controls);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 6; ++i) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor::fromHsv(60 * i, 150, 220));
        painter.drawEllipse(QPointF(60 + 44 * i, 60), 14, 14);
        painter.fillRect(QRectF(340 + 90 * i, 44, 80, 32), QColor(228, 231, 227));
    }
    painter.fillRect(QRectF(60, 180, 500, 6), QColor(210, 214, 210));
    painter.setPen(Qt::NoPen);
    painter.setBrush(teal);
    painter.drawEllipse(QPointF(260, 183), 11, 11);
    painter.setBrush(QColor(40, 44, 48));
    painter.drawRoundedRect(QRectF(60, 240, 640, 64), 32, 32);
    painter.fillRect(QRectF(0, 340, 900, 1), QColor(200, 200, 200));
    painter.drawImage(600, 120, fixtures::noise(240, 160));
    QLinearGradient sky(0, 0, 0, 100);
    sky.setColorAt(0, QColor(90, 140, 220));
    sky.setColorAt(1, QColor(240, 200, 150));
    painter.fillRect(QRectF(740, 300, 140, 90), sky);
    painter.end();
    EXPECT_EQ(joined(TextRecognition::recognizeLines(controls)), "");
    QImage clear(300, 200, QImage::Format_RGBA8888_Premultiplied);
    clear.fill(Qt::transparent);
    EXPECT_TRUE(TextRecognition::recognizeLines(clear).isEmpty()) << "transparent reads as blank paper";
    EXPECT_TRUE(TextRecognition::recognizeLines(QImage()).isEmpty());
}

TEST(TextRecognitionTest, GivesTheSameLinesOnSeveralThreadsAtOnce) {
    const QImage image = practiceLike();
    const QStringList expected = TextRecognition::recognizeLines(image);
    std::vector<QStringList> results(3);
    std::vector<std::thread> threads;
    for (QStringList& result : results)
        threads.emplace_back([&image, &result] { result = TextRecognition::recognizeLines(image); });
    for (std::thread& thread : threads) thread.join();
    for (const QStringList& result : results) EXPECT_EQ(result, expected);
}

TEST(TextRecognitionTest, ReportsMissingLanguageDataInsteadOfReadingNothing) {
    const test::TempDir empty;
    qputenv("TESSDATA_PREFIX", empty.path().toUtf8());
    std::optional<QString> error;
    // A thread of its own: engines are made once per thread.
    std::thread([&] {
        try {
            TextRecognition::recognizeLines(practiceLike());
        } catch (const ShotError& failure) {
            error = failure.message();
        }
    }).join();
    qunsetenv("TESSDATA_PREFIX");
    EXPECT_EQ(error, QStringLiteral("无法启动本机文字识别，请确认已安装中文和英文识别数据。"));
}
