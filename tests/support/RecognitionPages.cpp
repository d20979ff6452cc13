#include "tests/support/RecognitionPages.h"

#include "platform/Fonts.h"

#include <QPainter>

#include <array>
#include <utility>

namespace tavero::fixtures {

namespace {

const QColor ink(29, 33, 41);
const QColor grey(96, 100, 108);
const QColor teal = QColor::fromRgbF(0.02f, 0.57f, 0.49f);

struct Piece {
    qreal x;
    QString text;
};

// Draws a page and keeps the lines it writes, in the order written.
class Sheet {
public:
    Sheet(QString name, QSize size, QColor background) : name_(std::move(name)), image_(size, QImage::Format_RGB32) {
        image_.fill(background);
        // A screen's resolution, as a screenshot file states it.
        image_.setDotsPerMeterX(3780);
        image_.setDotsPerMeterY(3780);
        painter_.begin(&image_);
        painter_.setRenderHint(QPainter::Antialiasing);
    }

    void panel(const QRectF& area, const QColor& color, qreal radius = 0) {
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(color);
        painter_.drawRoundedRect(area, radius, radius);
    }

    void dot(QPointF centre, qreal radius, const QColor& color) {
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(color);
        painter_.drawEllipse(centre, radius, radius);
    }

    // One line at `top`, its pieces at their own x, in one font and colour.
    void row(qreal top, const QList<Piece>& pieces, double size, FontWeight weight = FontWeight::regular,
             const QColor& color = ink) {
        painter_.setFont(Fonts::system(size, weight));
        painter_.setPen(color);
        QStringList texts;
        for (const Piece& piece : pieces) {
            painter_.drawText(QRectF(piece.x, top, image_.width() - piece.x, size * 2),
                              Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, piece.text);
            texts.append(piece.text);
        }
        lines_.append(texts.join(QLatin1Char(' ')));
    }

    void line(qreal left, qreal top, const QString& text, double size, FontWeight weight = FontWeight::regular,
              const QColor& color = ink) {
        row(top, {{left, text}}, size, weight, color);
    }

    // Lines of one size from `top` down, `spacing` apart.
    void paragraph(qreal left, qreal top, qreal spacing, const QStringList& texts, double size,
                   const QColor& color = ink) {
        for (const QString& text : texts) {
            line(left, top, text, size, FontWeight::regular, color);
            top += spacing;
        }
    }

    RecognitionPage finish() {
        painter_.end();
        return {name_, image_, lines_};
    }

private:
    QString name_;
    QImage image_;
    QPainter painter_;
    QStringList lines_;
};

RecognitionPage headings() {
    Sheet sheet(QStringLiteral("headings"), {1920, 1080}, QColor(247, 248, 246));
    sheet.line(96, 64, QStringLiteral("岚帧 · 截图与录屏"), 64, FontWeight::bold, teal);
    sheet.line(96, 170, QStringLiteral("让重点一眼可见"), 48, FontWeight::bold);
    sheet.line(96, 264, QStringLiteral("第一章 快速上手"), 40, FontWeight::semibold, QColor(51, 51, 51));
    sheet.line(96, 340, QStringLiteral("按下快捷键即可截取屏幕的任意区域，松开鼠标后立即进入编辑。"), 22);
    sheet.line(96, 410, QStringLiteral("Getting Started with Screenshots"), 36, FontWeight::bold);
    sheet.line(96, 478, QStringLiteral("Press the shortcut, drag over an area and release to start editing."), 22,
               FontWeight::regular, grey);
    sheet.line(96, 560, QStringLiteral("二、标注与美化"), 32, FontWeight::bold, QColor(217, 72, 15));
    sheet.line(96, 624, QStringLiteral("箭头、文字和马赛克都能一键添加，背景可选渐变或纯色。"), 22);
    sheet.panel({96, 720, 980, 200}, teal, 24);
    sheet.line(150, 766, QStringLiteral("立即开始 Start Now"), 48, FontWeight::bold, Qt::white);
    sheet.line(150, 850, QStringLiteral("免费使用，所有处理都在本机完成"), 24, FontWeight::regular,
               QColor(220, 245, 240));
    return sheet.finish();
}

RecognitionPage body() {
    Sheet sheet(QStringLiteral("body"), {1400, 820}, Qt::white);
    sheet.line(80, 48, QStringLiteral("使用说明"), 30, FontWeight::bold);
    const QStringList first{
        QStringLiteral("截图完成后，编辑器会自动打开。你可以在左侧选择箭头、矩形、文字或马赛克等工具，"),
        QStringLiteral("在图片上标出重点。所有标注都可以撤销和重做，也可以随时调整颜色与粗细。"),
        QStringLiteral("如果需要长截图，请在选择区域后点击“滚动截图”，然后慢慢向下滚动页面；"),
        QStringLiteral("程序会自动拼接每一屏的内容，并在结束时生成一张完整的图片。")};
    sheet.paragraph(80, 120, 36, first, 19);
    const QStringList second{QStringLiteral("录屏时可以同时录制麦克风和系统声音。画面会跟随鼠标自动缩放，"),
                             QStringLiteral("让观众清楚地看到你正在操作的位置。录制结束后，视频会保存在本机，"),
                             QStringLiteral("不会上传到任何服务器。你也可以在设置中修改保存位置和默认格式。")};
    sheet.paragraph(80, 300, 36, second, 19);
    sheet.line(80, 440, QStringLiteral("提示：按住空格键可以移动选区，按下回车键确认，按下退出键取消。"), 19,
               FontWeight::regular, grey);
    return sheet.finish();
}

RecognitionPage mixed() {
    Sheet sheet(QStringLiteral("mixed"), {1400, 720}, Qt::white);
    const QStringList texts{QStringLiteral("使用 Python 3.11 编写脚本，并在 GitHub Actions 中运行测试。"),
                            QStringLiteral("Qt 6.4 的 QImage 支持 RGBA8888 和 Grayscale8 两种格式。"),
                            QStringLiteral("请把 API Key 填入设置页面，然后点击 Save 保存。"),
                            QStringLiteral("下载速度 12.5 MB/s，剩余时间约 3 分钟。"),
                            QStringLiteral("Linux 和 Windows 都可以用 Ctrl+Shift+2 截图。"),
                            QStringLiteral("The meeting starts at 3 pm in room B203，请准时参加。"),
                            QStringLiteral("Hello 世界！This line mixes 中文 and English."),
                            QStringLiteral("Screenshots are saved as PNG files in your Pictures folder."),
                            QStringLiteral("本机识别中文和 English，无需联网，也不需要账号。")};
    sheet.paragraph(80, 60, 66, texts, 22);
    return sheet.finish();
}

RecognitionPage english() {
    Sheet sheet(QStringLiteral("english"), {1400, 760}, Qt::white);
    sheet.line(80, 48, QStringLiteral("Release Notes"), 34, FontWeight::bold);
    sheet.line(80, 112, QStringLiteral("Version 3.2 brings faster capture and clearer text recognition."), 20,
               FontWeight::regular, grey);
    const QStringList notes{QStringLiteral("Scrolling capture now stitches long pages without visible seams."),
                            QStringLiteral("Arrows, boxes and highlights snap to the edges of windows."),
                            QStringLiteral("Recordings keep the cursor sharp when the camera zooms in."),
                            QStringLiteral("Settings are stored in ~/.config/tavero/settings.ini (UTF-8)."),
                            QStringLiteral("Fixed: the overlay no longer flickers on a second monitor.")};
    sheet.paragraph(80, 176, 40, notes, 19);
    sheet.line(80, 400, QStringLiteral("Keyboard Shortcuts"), 26, FontWeight::semibold);
    sheet.row(456, {{80, QStringLiteral("Capture an area")}, {520, QStringLiteral("Ctrl+Shift+2")}}, 17);
    sheet.row(496, {{80, QStringLiteral("Open the editor")}, {520, QStringLiteral("Ctrl+Shift+1")}}, 17);
    sheet.row(536, {{80, QStringLiteral("Copy and close")}, {520, QStringLiteral("Ctrl+C")}}, 17);
    return sheet.finish();
}

RecognitionPage numbers() {
    Sheet sheet(QStringLiteral("numbers"), {1200, 820}, QColor(250, 250, 250));
    sheet.line(80, 48, QStringLiteral("订单详情"), 30, FontWeight::bold);
    const QList<std::pair<QString, QString>> rows{{QStringLiteral("订单号"), QStringLiteral("20240518-0937")},
                                                  {QStringLiteral("金额"), QStringLiteral("¥1,234.56")},
                                                  {QStringLiteral("日期"), QStringLiteral("2024年5月18日 14:32")},
                                                  {QStringLiteral("版本"), QStringLiteral("v2.7.13")},
                                                  {QStringLiteral("增长率"), QStringLiteral("+12.5%")},
                                                  {QStringLiteral("电话"), QStringLiteral("010-8888 6666")},
                                                  {QStringLiteral("地址"), QStringLiteral("192.168.1.254:8080")},
                                                  {QStringLiteral("坐标"), QStringLiteral("(1920, 1080)")},
                                                  {QStringLiteral("尺寸"), QStringLiteral("3840 × 2160")},
                                                  {QStringLiteral("耗时"), QStringLiteral("0.35 秒")}};
    qreal top = 120;
    for (const auto& [label, value] : rows) {
        sheet.row(top, {{80, label}, {320, value}}, 22);
        top += 62;
    }
    return sheet.finish();
}

RecognitionPage window() {
    Sheet sheet(QStringLiteral("window"), {1920, 1080}, QColor(243, 244, 242));
    sheet.panel({0, 0, 1920, 56}, Qt::white);
    sheet.line(24, 16, QStringLiteral("岚帧 — 截图编辑器"), 18, FontWeight::semibold);
    for (int i = 0; i < 6; ++i) sheet.panel({qreal(320 + 100 * i), 68, 84, 36}, QColor(228, 231, 227), 8);
    sheet.panel({1720, 68, 150, 36}, teal, 8);
    sheet.row(75,
              {{338, QStringLiteral("保存")},
               {438, QStringLiteral("复制")},
               {522, QStringLiteral("识别文字")},
               {638, QStringLiteral("贴图")},
               {738, QStringLiteral("撤销")},
               {838, QStringLiteral("重做")}},
              16);
    sheet.line(1762, 75, QStringLiteral("开始录制"), 16, FontWeight::semibold, Qt::white);

    sheet.panel({0, 120, 280, 930}, QColor(43, 47, 51));
    sheet.line(24, 140, QStringLiteral("资料库"), 13, FontWeight::regular, QColor(154, 160, 166));
    sheet.paragraph(24, 176, 48,
                    {QStringLiteral("全部截图"), QStringLiteral("最近使用"), QStringLiteral("收藏夹"),
                     QStringLiteral("录屏"), QStringLiteral("回收站")},
                    17, QColor(232, 234, 237));

    sheet.panel({320, 150, 760, 420}, Qt::white, 12);
    sheet.line(352, 176, QStringLiteral("今日截图"), 24, FontWeight::bold);
    sheet.paragraph(352, 232, 40,
                    {QStringLiteral("截图 2024-05-18 14.32.01.png"), QStringLiteral("1920 × 1080 · 1.2 MB"),
                     QStringLiteral("会议纪要：下周三发布新版本。"), QStringLiteral("Build #4821 passed in 3m 12s")},
                    16, grey);
    for (int i = 0; i < 5; ++i) sheet.dot({qreal(372 + 44 * i), 520}, 14, QColor::fromHsv(60 * i, 150, 220));

    sheet.panel({1120, 150, 760, 420}, Qt::white, 12);
    sheet.line(1152, 176, QStringLiteral("标注设置"), 24, FontWeight::bold);
    sheet.paragraph(1152, 232, 48,
                    {QStringLiteral("颜色 红色"), QStringLiteral("粗细 4 像素"), QStringLiteral("字号 24")}, 16);
    sheet.panel({1152, 400, 500, 6}, QColor(210, 214, 210), 3);
    sheet.dot({1350, 403}, 11, teal);

    sheet.panel({640, 700, 640, 64}, QColor(40, 44, 48, 235), 32);
    sheet.line(760, 718, QStringLiteral("已复制图片，可以直接粘贴。"), 20, FontWeight::regular, Qt::white);

    sheet.panel({0, 1050, 1920, 30}, QColor(232, 234, 231));
    sheet.row(1056, {{24, QStringLiteral("已保存到 图片/岚帧 · PNG")}, {1780, QStringLiteral("缩放 100%")}}, 13,
              FontWeight::regular, grey);
    return sheet.finish();
}

RecognitionPage smallText() {
    Sheet sheet(QStringLiteral("small"), {1000, 520}, Qt::white);
    sheet.row(40, {{40, QStringLiteral("名称")}, {420, QStringLiteral("修改日期")}, {620, QStringLiteral("大小")}}, 13,
              FontWeight::semibold);
    const QList<std::array<QString, 3>> files{
        {QStringLiteral("截图 2024-05-18 143201.png"), QStringLiteral("今天 14:32"), QStringLiteral("1.2 MB")},
        {QStringLiteral("会议记录.txt"), QStringLiteral("昨天 09:15"), QStringLiteral("18 KB")},
        {QStringLiteral("Quarterly report final.pdf"), QStringLiteral("2024/05/02"), QStringLiteral("3.4 MB")},
        {QStringLiteral("录屏 讲解 第三版.mp4"), QStringLiteral("2024/04/28"), QStringLiteral("86 MB")},
        {QStringLiteral("design-notes.md"), QStringLiteral("2024/04/11"), QStringLiteral("6 KB")}};
    qreal top = 72;
    for (const auto& file : files) {
        sheet.row(top, {{40, file[0]}, {420, file[1]}, {620, file[2]}}, 12, FontWeight::regular, grey);
        top += 26;
    }
    sheet.paragraph(40, 240, 24,
                    {QStringLiteral("小字号文本常见于说明和提示，识别时容易丢失笔画。"),
                     QStringLiteral("Small print shows up in dialogs, menus and status bars."),
                     QStringLiteral("快捷键：Ctrl+Shift+2 截图，Ctrl+Shift+1 打开编辑器。")},
                    13);
    return sheet.finish();
}

}  // namespace

RecognitionPage threeLinePage() {
    Sheet sheet(QStringLiteral("three lines"), {900, 260}, Qt::white);
    sheet.paragraph(40, 24, 76,
                    {QStringLiteral("今天天气很好，适合出门散步。"), QStringLiteral("岚帧 Tavero 截图工具"),
                     QStringLiteral("共 128 张截图，版本 2.4")},
                    36, Qt::black);
    return sheet.finish();
}

std::array<RecognitionPage, recognitionPageCount> recognitionPages() {
    return {threeLinePage(), headings(), body(), english(), mixed(), numbers(), window(), smallText()};
}

}  // namespace tavero::fixtures
