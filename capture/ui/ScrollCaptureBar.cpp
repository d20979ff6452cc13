#include "capture/ui/ScrollCaptureBar.h"

#include "capture/ScrollingCapture.h"
#include "editor_ui/style/StartActionButton.h"
#include "editor_ui/style/SymbolIcons.h"
#include "editor_ui/style/TaveroStyle.h"
#include "platform/Fonts.h"
#include "platform/desktop/OwnWindows.h"

#include <QBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace tavero {

namespace {

constexpr int padding = 18;
constexpr double cornerRadius = 16;
constexpr double outlineOpacity = 0.3;
constexpr int symbolSize = 16;
constexpr int messageLines = 2;

QLabel* textLabel(double pixelSize, FontWeight weight, const QColor& colour, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(Fonts::system(pixelSize, weight, parent->logicalDpiY()));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    return label;
}

}  // namespace

ScrollCaptureBar::ScrollCaptureBar(ScrollingCapture& session, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus),
      session_(&session) {
    setWindowTitle(QStringLiteral("滚动长截图 · 自动接续"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);

    auto* symbol = new QLabel(this);
    symbol->setPixmap(SymbolIcons::icon(QStringLiteral("scroll"), TaveroStyle::green())
                          .pixmap(QSize(symbolSize, symbolSize), devicePixelRatioF()));
    auto* title = textLabel(15, FontWeight::medium, TaveroStyle::ink(), this);
    title->setText(QStringLiteral("滚动长截图"));
    progress_ = textLabel(11, FontWeight::regular, QColor::fromRgbF(0, 0, 0, 0.5f), this);
    message_ = textLabel(12, FontWeight::regular, TaveroStyle::ink(), this);
    message_->setWordWrap(true);
    message_->setMaximumHeight(messageLines * message_->fontMetrics().lineSpacing());
    finish_ = new StartActionButton(QString(), StartActionStyle(), this);
    finish_->setToolTip(QStringLiteral("保存长截图并进入编辑器"));
    finish_->setFocusPolicy(Qt::NoFocus);
    connect(finish_, &StartActionButton::clicked, this, [this] {
        if (session_) session_->finish();
    });

    auto* heading = new QHBoxLayout;
    heading->setSpacing(8);
    heading->addWidget(symbol);
    heading->addWidget(title);
    heading->addWidget(progress_);
    heading->addStretch();
    auto* texts = new QVBoxLayout;
    texts->setSpacing(8);
    texts->addLayout(heading);
    texts->addWidget(message_);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(padding, padding, padding, padding);
    row->setSpacing(20);
    row->addLayout(texts, 1);
    row->addWidget(finish_, 0, Qt::AlignVCenter);

    connect(&session, &ScrollingCapture::stateChanged, this, &ScrollCaptureBar::refresh);
    refresh();
}

ScrollCaptureBar::~ScrollCaptureBar() { OwnWindows::remove(quint32(internalWinId())); }

void ScrollCaptureBar::showEvent(QShowEvent*) { OwnWindows::add(quint32(winId())); }

void ScrollCaptureBar::hideEvent(QHideEvent*) { OwnWindows::remove(quint32(internalWinId())); }

QString ScrollCaptureBar::progressText() const { return progress_->text(); }

QString ScrollCaptureBar::messageText() const { return message_->text(); }

void ScrollCaptureBar::refresh() {
    if (!session_) return;
    progress_->setText(QStringLiteral("已接续 %1 张 · %2 px").arg(session_->count()).arg(session_->height()));
    message_->setText(session_->message());
    finish_->setText(session_->finishing() ? QStringLiteral("保存中…") : QStringLiteral("完成"));
    finish_->setEnabled(!session_->finishing());
    finish_->updateGeometry();
}

void ScrollCaptureBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds(rect());
    QPainterPath card;
    card.addRoundedRect(bounds, cornerRadius, cornerRadius);
    painter.fillPath(card, Qt::white);
    // The outline lies inside the card's edge.
    QColor outline = TaveroStyle::green();
    outline.setAlphaF(outlineOpacity);
    QPainterPath inner;
    inner.addRoundedRect(bounds.adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius - 0.5, cornerRadius - 0.5);
    painter.strokePath(inner, QPen(outline, 1));
}

void ScrollCaptureBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) grip_ = event->globalPosition().toPoint() - pos();
}

void ScrollCaptureBar::mouseMoveEvent(QMouseEvent* event) {
    if (grip_) move(event->globalPosition().toPoint() - *grip_);
}

void ScrollCaptureBar::mouseReleaseEvent(QMouseEvent*) { grip_.reset(); }

}  // namespace tavero
