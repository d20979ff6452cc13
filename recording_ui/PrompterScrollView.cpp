#include "recording_ui/PrompterScrollView.h"

#include "platform/Fonts.h"
#include "recording/studio/RecordingStudio.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QScrollBar>
#include <QTextFrame>

#include <cmath>

namespace tavero {

namespace {

using Kind = RecordingPhase::Kind;

constexpr double horizontalInset = 20;
constexpr double verticalInset = 30;
// The text's shadow, one point below it.
constexpr double shadowOffset = 1;
constexpr double shadowOpacity = 0.8;

QString placeholder() { return QStringLiteral("在录屏设置中填入讲稿。\n\n这里的文字只有你能看到。"); }

}  // namespace

PrompterScrollView::PrompterScrollView(RecordingStudio& studio, QWidget* parent)
    : QTextEdit(parent), studio_(&studio) {
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);
    // The wheel scrolls the notes; a bar would only cover them.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QTextEdit::WidgetWidth);
    setAttribute(Qt::WA_TranslucentBackground);
    viewport()->setAutoFillBackground(false);
    QPalette colours = palette();
    colours.setColor(QPalette::Base, Qt::transparent);
    colours.setColor(QPalette::Text, Qt::white);
    setPalette(colours);
    setAccessibleName(QStringLiteral("提词稿"));
    document()->setDocumentMargin(0);
    // A scroll the user makes with the wheel or the bar is where the text goes on from.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (std::lround(offset_) != value) offset_ = value;
    });
    timer_.setInterval(1000 / ticksPerSecond);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &PrompterScrollView::tick);
    timer_.start();
    refresh();
}

// Room around the text inside the scrolled area, so it scrolls with the text.
void PrompterScrollView::insetText() {
    QTextFrameFormat frame = document()->rootFrame()->frameFormat();
    frame.setLeftMargin(horizontalInset);
    frame.setRightMargin(horizontalInset);
    frame.setTopMargin(verticalInset);
    frame.setBottomMargin(verticalInset);
    document()->rootFrame()->setFrameFormat(frame);
}

void PrompterScrollView::refresh() {
    if (!studio_) return;
    const QString text = studio_->notes().isEmpty() ? placeholder() : studio_->notes();
    const double size = studio_->notesSize();
    if (text != shownText_ || size != shownSize_) {
        shownText_ = text;
        shownSize_ = size;
        document()->setDefaultFont(Fonts::system(size, FontWeight::medium, logicalDpiY()));
        const double keep = offset_;
        setPlainText(text);
        insetText();
        // A new text or size keeps the place; only a rewind goes back to the top.
        scrollTo(std::min(keep, end()));
    }
    if (resetID_ != studio_->notesReset()) {
        resetID_ = studio_->notesReset();
        scrollTo(0);
    }
}

double PrompterScrollView::end() const {
    const double textHeight = document()->documentLayout()->documentSize().height();
    return std::max(0.0, textHeight - viewport()->height());
}

bool PrompterScrollView::shouldScroll() const {
    if (!studio_ || !studio_->notesScrolling()) return false;
    const Kind phase = studio_->phase().kind();
    if (phase != Kind::recording && phase != Kind::idle) return false;
    return window()->isVisible();
}

void PrompterScrollView::tick() {
    if (!shouldScroll()) return;
    const double last = end();
    const double next = std::min(offset_ + studio_->notesSpeed() / ticksPerSecond, last);
    scrollTo(next);
    if (next >= last) studio_->setNotesScrolling(false);
}

void PrompterScrollView::scrollTo(double offset) {
    offset_ = std::max(0.0, offset);
    verticalScrollBar()->setValue(int(std::lround(offset_)));
}

// The text is drawn over a darker copy of itself, so it stays readable over
// a bright screen when the background is clear.
void PrompterScrollView::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(viewport());
        painter.translate(-horizontalScrollBar()->value(), -verticalScrollBar()->value() + shadowOffset);
        QAbstractTextDocumentLayout::PaintContext context;
        context.palette = palette();
        context.palette.setColor(QPalette::Text, QColor::fromRgbF(0, 0, 0, shadowOpacity));
        context.clip = QRectF(event->rect()).translated(0, verticalScrollBar()->value() - shadowOffset);
        document()->documentLayout()->draw(&painter, context);
    }
    QTextEdit::paintEvent(event);
}

void PrompterScrollView::resizeEvent(QResizeEvent* event) {
    QTextEdit::resizeEvent(event);
    scrollTo(std::min(offset_, end()));
}

}  // namespace tavero
