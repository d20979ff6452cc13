#include "editor_ui/HistoryRow.h"

#include "editor_ui/EditorLook.h"
#include "editor_ui/Thumbnail.h"
#include "editor_ui/style/FocusRing.h"

#include <QContextMenuEvent>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>

#include <algorithm>

namespace tavero {

namespace {

constexpr double namePoints = 11;
constexpr double timePoints = 10;
constexpr int nameLineLimit = 2;
constexpr int textSpacing = 3;
constexpr double backgroundOpacity = 0.035;
constexpr double pressedOpacity = 0.08;

// `text` broken into lines of at most `width`, anywhere when a word does not
// fit; beyond `limit` lines the last shown one ends in "…".
QStringList wrapped(const QString& text, const QFont& font, int width, int limit) {
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (lines.size() == limit - 1) {
            const QString rest = text.mid(line.textStart());
            lines.append(QFontMetrics(font).elidedText(rest, Qt::ElideRight, width));
            break;
        }
        lines.append(text.mid(line.textStart(), line.textLength()));
    }
    layout.endLayout();
    return lines;
}

}  // namespace

HistoryRow::HistoryRow(QWidget* parent)
    : QAbstractButton(parent),
      nameFont_(EditorLook::font(this, namePoints)),
      timeFont_(EditorLook::font(this, timePoints)) {
    FocusRing::drawnByItself(*this);
    setCursor(Qt::PointingHandCursor);
    thumbnail_ = new Thumbnail(QString(), false, this);
    thumbnail_->setCornerRadius(thumbnailCornerRadius);
    thumbnail_->setAttribute(Qt::WA_TransparentForMouseEvents);
    setFixedHeight(rowHeight());
}

void HistoryRow::setRecord(const CaptureRecord& record, const QString& path) {
    record_ = record;
    // Only "video" is a video; any other kind is treated as a picture.
    thumbnail_->setFile(path, record.kind == CaptureRecord::videoKind);
    setAccessibleName(record.name);
    update();
}

int HistoryRow::rowHeight() const {
    const int text = nameLineLimit * QFontMetrics(nameFont_).lineSpacing() + textSpacing +
                     QFontMetrics(timeFont_).height();
    return std::max(thumbnailHeight, text) + 2 * padding;
}

QRect HistoryRow::textRect() const {
    const int left = padding + thumbnailWidth + spacing;
    return QRect(left, padding, std::max(width() - left - padding, 1), height() - 2 * padding);
}

QStringList HistoryRow::nameLines() const {
    return wrapped(record_.name, nameFont_, textRect().width(), nameLineLimit);
}

QString HistoryRow::createdTime() const {
    return QLocale().toString(record_.created.toLocalTime().time(), QLocale::ShortFormat);
}

void HistoryRow::resizeEvent(QResizeEvent* event) {
    QAbstractButton::resizeEvent(event);
    thumbnail_->setGeometry(padding, (height() - thumbnailHeight) / 2, thumbnailWidth, thumbnailHeight);
}

void HistoryRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor primary = palette().color(QPalette::WindowText);
    QPainterPath background;
    background.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    painter.fillPath(background, EditorLook::faded(primary, isDown() ? pressedOpacity : backgroundOpacity));

    const QStringList lines = nameLines();
    const QFontMetrics name(nameFont_), time(timeFont_);
    const int textHeight = int(lines.size()) * name.lineSpacing() + textSpacing + time.height();
    const QRect area = textRect();
    int y = area.top() + (area.height() - textHeight) / 2;
    painter.setFont(nameFont_);
    painter.setPen(primary);
    for (const QString& line : lines) {
        painter.drawText(QPoint(area.left(), y + name.ascent()), line);
        y += name.lineSpacing();
    }
    painter.setFont(timeFont_);
    painter.setPen(EditorLook::secondaryText(this));
    painter.drawText(QPoint(area.left(), y + textSpacing + time.ascent()), createdTime());
    FocusRing::paint(painter, *this, QRectF(rect()), cornerRadius);
}

void HistoryRow::contextMenuEvent(QContextMenuEvent* event) {
    emit menuRequested(event->globalPos());
    event->accept();
}

}  // namespace tavero
