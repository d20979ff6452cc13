#include "document/ImageOps.h"
#include "document/Ink.h"
#include "platform/AppBrand.h"
#include "platform/Fonts.h"

#include <QPainterPath>

namespace tavero::ImageOps {

namespace {

constexpr int practiceWidth = 1200;
constexpr int practiceHeight = 760;
constexpr double textLeft = 64;

// Fixed greys for the label colours, so the picture is the same on every machine.
const QColor labelColor(38, 38, 38);
const QColor secondaryLabelColor(125, 125, 125);
const QColor background = QColor::fromRgbF(0.96f, 0.97f, 0.95f);

struct Line {
    double top;
    double size;
    QColor color;
    QString text;
};

struct Card {
    QString title;
    QString line;
};

// Draws `text` with the top-left corner of its first line at `origin`.
void drawAt(QPainter& painter, QPointF origin, const QFont& font, const QColor& color, const QString& text) {
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(QRectF(origin, QSizeF(practiceWidth, practiceHeight)), Qt::AlignLeft | Qt::AlignTop, text);
}

void drawLines(QPainter& painter, int dpi) {
    const QColor teal = Ink::teal.color();
    const Line lines[] = {
        {72, 64, teal, AppBrand::name + QStringLiteral(" · 上手练习")},
        {144, 48, labelColor, QStringLiteral("让重点一眼可见。")},
        {234, 25, secondaryLabelColor, QStringLiteral("试着用箭头指出下面的一张卡片。")},
        {285, 25, secondaryLabelColor, QStringLiteral("也可以选择「文字」，点在图片上写一句话。")},
        {652, 25, teal, QStringLiteral("完成后复制，粘贴到聊天或文档，就能分享这张图。")},
    };
    for (const Line& line : lines)
        drawAt(painter, {textLeft, line.top}, Fonts::system(line.size, FontWeight::semibold, dpi), line.color,
               line.text);
}

void drawCards(QPainter& painter, int dpi) {
    const Card cards[] = {
        {QStringLiteral("01  画个箭头"), QStringLiteral("把视线引到重点")},
        {QStringLiteral("02  加一句话"), QStringLiteral("点在图上，直接输入")},
        {QStringLiteral("03  配个背景"), QStringLiteral("让分享的图片更好看")},
    };
    const QSizeF cardSize(330, 200);
    const double top = 372;
    for (int index = 0; index < 3; ++index) {
        const QPointF origin(textLeft + 355 * index, top);
        const bool first = index == 0;
        QPainterPath card;
        card.addRoundedRect(QRectF(origin, cardSize), 18, 18);
        painter.fillPath(card, first ? Ink::teal.color() : QColor(Qt::white));

        const QColor text = first ? QColor(Qt::white) : labelColor;
        QColor faded = text;
        faded.setAlphaF(0.8f);
        drawAt(painter, origin + QPointF(28, 34), Fonts::system(30, FontWeight::bold, dpi), text, cards[index].title);
        drawAt(painter, origin + QPointF(28, 102), Fonts::system(23, FontWeight::regular, dpi), faded,
               cards[index].line);
    }
}

}  // namespace

QImage demo() {
    QImage surface = context(practiceWidth, practiceHeight);
    surface.fill(background);
    QPainter painter(&surface);
    painter.setRenderHint(QPainter::Antialiasing);
    const int dpi = surface.logicalDpiY();
    drawLines(painter, dpi);
    drawCards(painter, dpi);
    return surface;
}

}  // namespace tavero::ImageOps
