#include "tests/support/RecognitionPages.h"

#include "platform/Fonts.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

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

// A weekly report on the page and, level with its lines, a dark settings
// panel with a background of its own: the report is read before the panel.
RecognitionPage reportBesidePanel() {
    Sheet sheet(QStringLiteral("report and panel"), {1600, 900}, Qt::white);
    sheet.line(80, 60, QStringLiteral("录制引擎周报"), 30, FontWeight::bold);
    sheet.paragraph(80, 130, 44,
                    {QStringLiteral("本周完成了录制引擎的声音部分，"),
                     QStringLiteral("系统声音和麦克风使用同一个时钟，"),
                     QStringLiteral("长时间录制后画面与声音依然同步。"),
                     QStringLiteral("下周计划加入摄像头画面的圆形遮罩，"),
                     QStringLiteral("并改进导出时的进度显示。"),
                     QStringLiteral("测试覆盖了三种常见的声卡设置，"),
                     QStringLiteral("丢帧率从百分之二降到千分之一。")},
                    20);
    sheet.panel({1080, 0, 520, 900}, QColor(36, 39, 44));
    const QColor light(228, 231, 235);
    sheet.line(1120, 60, QStringLiteral("设置"), 26, FontWeight::bold, light);
    sheet.paragraph(1120, 130, 44,
                    {QStringLiteral("帧率：30 帧每秒"), QStringLiteral("画质：高"), QStringLiteral("声音：系统和麦克风"),
                     QStringLiteral("倒计时：3 秒"), QStringLiteral("保存位置：桌面"), QStringLiteral("格式：MP4")},
                    18, light);
    return sheet.finish();
}

// A heading over two columns of body text whose lines stand level.
RecognitionPage twoColumns() {
    Sheet sheet(QStringLiteral("two columns"), {940, 480}, Qt::white);
    sheet.line(60, 50, QStringLiteral("截图与录屏的十个技巧"), 30, FontWeight::bold);
    sheet.paragraph(60, 130, 40,
                    {QStringLiteral("截图前先整理桌面，关闭不需要的窗口，"),
                     QStringLiteral("让画面只留下要说明的内容。选区可以"),
                     QStringLiteral("用方向键逐个像素地调整，按住空格键"),
                     QStringLiteral("还能整体移动。标注时尽量少用颜色，"),
                     QStringLiteral("一张图里的箭头最好不超过三个。"),
                     QStringLiteral("文字标注要简短，字号比正文略大。"),
                     QStringLiteral("马赛克适合遮住账号和手机号码。")},
                    19);
    sheet.paragraph(480, 130, 40,
                    {QStringLiteral("录屏前先试录十秒，检查麦克风音量，"),
                     QStringLiteral("确认系统声音没有被静音。讲解时语速"),
                     QStringLiteral("放慢一些，每一步操作都稍作停顿，"),
                     QStringLiteral("观众才能跟上。录完后可以裁剪开头"),
                     QStringLiteral("和结尾的空白，再导出为动图或视频。"),
                     QStringLiteral("较长的讲解可以分成几段分别录制，"),
                     QStringLiteral("最后再按顺序合并成一个文件。")},
                    19);
    return sheet.finish();
}

// A table of four columns under a heading, read row by row.
RecognitionPage table() {
    Sheet sheet(QStringLiteral("table"), {1300, 640}, Qt::white);
    sheet.line(80, 40, QStringLiteral("五月导出记录"), 28, FontWeight::bold);
    const qreal columns[] = {80, 400, 640, 900};
    const QList<std::array<QString, 4>> rows{
        {QStringLiteral("文件"), QStringLiteral("格式"), QStringLiteral("时长"), QStringLiteral("大小")},
        {QStringLiteral("产品演示"), QStringLiteral("MP4"), QStringLiteral("03:12"), QStringLiteral("86 MB")},
        {QStringLiteral("安装步骤"), QStringLiteral("GIF"), QStringLiteral("00:45"), QStringLiteral("12 MB")},
        {QStringLiteral("周会回放"), QStringLiteral("MP4"), QStringLiteral("41:08"), QStringLiteral("1.2 GB")},
        {QStringLiteral("问题复现"), QStringLiteral("MOV"), QStringLiteral("01:30"), QStringLiteral("240 MB")},
        {QStringLiteral("新功能预告"), QStringLiteral("MP4"), QStringLiteral("00:58"), QStringLiteral("35 MB")}};
    qreal top = 120;
    for (qsizetype row = 0; row < rows.size(); ++row) {
        QList<Piece> cells;
        for (int column = 0; column < 4; ++column) cells.append({columns[column], rows[row][size_t(column)]});
        sheet.row(top, cells, 19, row == 0 ? FontWeight::semibold : FontWeight::regular);
        sheet.panel({60, top + 48, 1100, 1}, QColor(222, 225, 228));
        top += 70;
    }
    return sheet.finish();
}

// A page dimmed behind a dialog with its own buttons: the page is read
// first, then the dialog, its buttons last.
RecognitionPage dialogOverPage() {
    Sheet sheet(QStringLiteral("dialog"), {1600, 900}, Qt::white);
    sheet.line(80, 60, QStringLiteral("项目说明"), 30, FontWeight::bold);
    sheet.paragraph(80, 140, 44,
                    {QStringLiteral("这个项目收集了团队的操作指南。"), QStringLiteral("每篇指南都配有截图和短视频，"),
                     QStringLiteral("新同事可以按顺序学习。"), QStringLiteral("修改指南前请先通知负责人。"),
                     QStringLiteral("所有素材都保存在共享文件夹里。")},
                    20);
    sheet.panel({0, 0, 1600, 900}, QColor(0, 0, 0, 110));
    sheet.panel({820, 250, 640, 340}, Qt::white, 14);
    sheet.line(860, 290, QStringLiteral("删除这张截图？"), 24, FontWeight::bold);
    sheet.paragraph(860, 350, 40,
                    {QStringLiteral("截图会移到回收站，"), QStringLiteral("三十天内可以在回收站里找回。")}, 18, grey);
    sheet.panel({1080, 500, 150, 50}, QColor(232, 234, 236), 10);
    sheet.panel({1260, 500, 150, 50}, QColor(214, 48, 49), 10);
    sheet.row(512, {{1131, QStringLiteral("取消")}, {1311, QStringLiteral("删除")}}, 18);
    return sheet.finish();
}

// A single column of body text under a heading.
RecognitionPage singleColumn() {
    Sheet sheet(QStringLiteral("single column"), {1300, 640}, Qt::white);
    sheet.line(80, 50, QStringLiteral("关于本机识别"), 30, FontWeight::bold);
    sheet.paragraph(80, 130, 40,
                    {QStringLiteral("文字识别完全在本机完成，截图不会离开你的电脑。"),
                     QStringLiteral("识别结果按阅读顺序排列，可以一键复制全部文字。"),
                     QStringLiteral("中文和英文混排的内容也能正确识别，例如 Qt 6 和 PNG。"),
                     QStringLiteral("如果识别不准确，可以放大截图后再试一次。"),
                     QStringLiteral("表格会按行读出，每一行的单元格从左到右排列。")},
                    20);
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

std::array<RecognitionPage, layoutPageCount> layoutPages() {
    return {reportBesidePanel(), twoColumns(), table(), dialogOverPage(), singleColumn()};
}

namespace {

// All the lines one after another, without any white space.
std::u32string unspacedText(const QStringList& lines) {
    std::u32string text;
    for (const QString& line : lines)
        for (const char32_t c : line.toStdU32String())
            if (!QChar::isSpace(c)) text.push_back(c);
    return text;
}

size_t editDistance(const std::u32string& a, const std::u32string& b) {
    std::vector<size_t> previous(b.size() + 1), current(b.size() + 1);
    std::iota(previous.begin(), previous.end(), size_t(0));
    for (size_t i = 1; i <= a.size(); ++i) {
        current[0] = i;
        for (size_t j = 1; j <= b.size(); ++j)
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + (a[i - 1] != b[j - 1])});
        std::swap(previous, current);
    }
    return previous[b.size()];
}

}  // namespace

double readingOrderErrorRate(const QStringList& known, const QStringList& recognised) {
    const std::u32string expected = unspacedText(known);
    if (expected.empty()) return 0;
    return double(editDistance(expected, unspacedText(recognised))) / double(expected.size());
}

}  // namespace tavero::fixtures
