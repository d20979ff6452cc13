#include "recording_ui/TeleprompterView.h"

#include "editor_ui/SteppedSlider.h"
#include "platform/Fonts.h"
#include "recording/studio/RecordingStudio.h"
#include "recording_ui/PrompterScrollView.h"
#include "recording_ui/RecordingActionButton.h"
#include "recording_ui/RecordingColours.h"
#include "recording_ui/RecordingWindowTexts.h"
#include "recording_ui/StatusDot.h"

#include <QBoxLayout>
#include <QGraphicsDropShadowEffect>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

namespace tavero {

namespace {

using Kind = RecordingPhase::Kind;

constexpr double cornerRadius = 14;
constexpr double captionSize = 11;
constexpr int sliderWidth = 65;
constexpr double dividerOpacity = 0.16;

const QColor panelCaptionColour = QColor::fromRgbF(1, 1, 1, 0.85f);

// A caption in the text colour of its surroundings.
QLabel* plainCaption(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(Fonts::system(captionSize, FontWeight::regular, parent->logicalDpiY()));
    return label;
}

void usePanelCaptionColour(QWidget& widget) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, panelCaptionColour);
    widget.setPalette(palette);
}

QLabel* caption(const QString& text, QWidget* parent) {
    QLabel* label = plainCaption(text, parent);
    usePanelCaptionColour(*label);
    return label;
}

QWidget* divider(QWidget* parent) {
    auto* line = new QWidget(parent);
    line->setFixedHeight(1);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, QColor::fromRgbF(1, 1, 1, dividerOpacity));
    line->setPalette(palette);
    return line;
}

SteppedSlider* namedSlider(double minimum, double maximum, double step, int unitsPerValue, const QString& name,
                      QWidget* parent) {
    auto* control = new SteppedSlider(minimum, maximum, step, unitsPerValue, parent);
    control->setFocusPolicy(Qt::NoFocus);
    control->setAccessibleName(name);
    return control;
}

RecordingActionStyle compact(bool prominent = false, bool positive = false) {
    return RecordingActionStyle{.prominent = prominent, .positive = positive, .compact = true};
}

}  // namespace

PrompterTransparencyControl::PrompterTransparencyControl(RecordingStudio& studio, QWidget* parent)
    : QWidget(parent), studio_(&studio) {
    setToolTip(QStringLiteral("只改变背景透明度，讲稿文字保持清晰；100% 为全透明。"));
    slider_ = namedSlider(0, 1, 0.05, 100, QStringLiteral("提词器背景透明度"), this);
    value_ = plainCaption(QString(), this);
    value_->setFixedWidth(34);
    clear_ = new RecordingActionButton(QStringLiteral("全透明"), compact(), this);
    connect(slider_, &SteppedSlider::valueEdited, this, [this](double value) {
        if (studio_) studio_->setNotesTransparency(value);
    });
    connect(clear_, &RecordingActionButton::clicked, this, [this] {
        if (studio_) studio_->setNotesTransparency(1);
    });
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    row->addWidget(plainCaption(QStringLiteral("背景透明度"), this));
    row->addWidget(slider_, 1);
    row->addWidget(value_);
    row->addWidget(clear_);
    connect(&studio, &RecordingStudio::changed, this, &PrompterTransparencyControl::refresh);
    refresh();
}

void PrompterTransparencyControl::setTakesFocus(bool takes) {
    for (QWidget* control : std::initializer_list<QWidget*>{slider_, clear_})
        control->setFocusPolicy(takes ? Qt::StrongFocus : Qt::NoFocus);
}

QString PrompterTransparencyControl::valueText() const { return value_->text(); }

void PrompterTransparencyControl::refresh() {
    if (!studio_) return;
    slider_->showValue(studio_->notesTransparency());
    value_->setText(RecordingWindowTexts::percent(studio_->notesTransparency()));
}

TeleprompterView::TeleprompterView(RecordingStudio& studio, QWidget* parent) : QWidget(parent), studio_(&studio) {
    setAttribute(Qt::WA_TranslucentBackground);
    text_ = new PrompterScrollView(studio, this);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(buildHeader());
    column->addWidget(divider(this));
    column->addWidget(text_, 1);
    column->addWidget(divider(this));
    column->addWidget(buildControls());
    connect(&studio, &RecordingStudio::changed, this, &TeleprompterView::refresh);
    connect(&studio, &RecordingStudio::phaseChanged, this, &TeleprompterView::refresh);
    refresh();
}

QWidget* TeleprompterView::buildHeader() {
    auto* header = new QWidget(this);
    header->setToolTip(QStringLiteral("拖动背景可以移动提词器"));
    dot_ = new StatusDot(7, header);
    title_ = caption(QString(), header);
    auto* shadow = new QGraphicsDropShadowEffect(title_);
    shadow->setColor(QColor::fromRgbF(0, 0, 0, 0.85f));
    shadow->setBlurRadius(2);
    shadow->setOffset(0, 0);
    title_->setGraphicsEffect(shadow);
    hide_ = new RecordingActionButton(QStringLiteral("收起"), compact(), header);
    pause_ = new RecordingActionButton(QString(), compact(), header);
    stop_ = new RecordingActionButton(QString(), compact(true), header);
    connect(hide_, &RecordingActionButton::clicked, this, [this] {
        if (studio_) studio_->toggleNotes();
    });
    connect(pause_, &RecordingActionButton::clicked, this, [this] {
        if (studio_) studio_->togglePause();
    });
    connect(stop_, &RecordingActionButton::clicked, this, [this] {
        if (!studio_) return;
        if (studio_->phase().occupied())
            studio_->stop();
        else
            studio_->hideNotes();
    });
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(14, 8, 14, 8);
    row->addWidget(dot_, 0, Qt::AlignVCenter);
    row->addWidget(title_, 0, Qt::AlignVCenter);
    row->addStretch(1);
    row->addWidget(hide_);
    row->addWidget(pause_);
    row->addWidget(stop_);
    return header;
}

QWidget* TeleprompterView::buildControls() {
    auto* controls = new QWidget(this);
    scroll_ = new RecordingActionButton(QString(), compact(), controls);
    rewind_ = new RecordingActionButton(QStringLiteral("从头"), compact(), controls);
    speed_ = namedSlider(10, 80, 0.1, 10, QStringLiteral("提词速度"), controls);
    size_ = namedSlider(18, 40, 1, 1, QStringLiteral("提词字号"), controls);
    speed_->setFixedWidth(sliderWidth);
    size_->setFixedWidth(sliderWidth);
    transparency_ = new PrompterTransparencyControl(*studio_, controls);
    usePanelCaptionColour(*transparency_);
    connect(scroll_, &RecordingActionButton::clicked, this, [this] {
        if (studio_) studio_->setNotesScrolling(!studio_->notesScrolling());
    });
    connect(rewind_, &RecordingActionButton::clicked, this, [this] {
        if (studio_) studio_->rewindNotes();
    });
    connect(speed_, &SteppedSlider::valueEdited, this, [this](double value) {
        if (studio_) studio_->setNotesSpeed(value);
    });
    connect(size_, &SteppedSlider::valueEdited, this, [this](double value) {
        if (studio_) studio_->setNotesSize(value);
    });
    auto* row = new QHBoxLayout;
    row->setSpacing(9);
    row->addWidget(scroll_);
    row->addWidget(rewind_);
    row->addWidget(caption(QStringLiteral("速度"), controls));
    row->addWidget(speed_);
    row->addWidget(caption(QStringLiteral("字号"), controls));
    row->addWidget(size_);
    row->addStretch(1);
    auto* column = new QVBoxLayout(controls);
    column->setContentsMargins(10, 10, 10, 10);
    column->setSpacing(9);
    column->addLayout(row);
    column->addWidget(transparency_);
    return controls;
}

void TeleprompterView::refresh() {
    if (!studio_) return;
    const RecordingPhase phase = studio_->phase();
    const bool paused = phase.kind() == Kind::paused;
    dot_->setColor(phase.kind() == Kind::recording ? RecordingColours::red() : RecordingColours::orange());
    title_->setText(RecordingWindowTexts::prompterTitle(phase, studio_->elapsed()));
    pause_->setVisible(phase.hasRecorded());
    pause_->setText(phase.pauseTitle());
    pause_->setActionStyle(compact(false, paused));
    pause_->setEnabled(phase.canPauseOrResume());
    stop_->setText(RecordingWindowTexts::prompterStopTitle(phase));
    stop_->setEnabled(phase.kind() != Kind::stopping);
    stop_->updateGeometry();
    scroll_->setText(RecordingWindowTexts::scrollTitle(studio_->notesScrolling()));
    scroll_->setEnabled(!paused && phase.kind() != Kind::pausing && phase.kind() != Kind::resuming);
    scroll_->updateGeometry();
    speed_->showValue(studio_->notesSpeed());
    size_->showValue(studio_->notesSize());
    text_->refresh();
    update();
}

void TeleprompterView::setTakesFocus(bool takes) {
    const Qt::FocusPolicy policy = takes ? Qt::StrongFocus : Qt::NoFocus;
    for (QWidget* control : std::initializer_list<QWidget*>{hide_, pause_, stop_, scroll_, rewind_, speed_, size_})
        control->setFocusPolicy(policy);
    transparency_->setTakesFocus(takes);
}

void TeleprompterView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && studio_ && !studio_->phase().occupied()) return studio_->hideNotes();
    QWidget::keyPressEvent(event);
}

QString TeleprompterView::title() const { return title_->text(); }

double TeleprompterView::backgroundOpacity() const { return studio_ ? 1 - studio_->notesTransparency() : 1; }

void TeleprompterView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath face;
    face.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    QColor colour = RecordingColours::prompterFace();
    colour.setAlphaF(float(std::clamp(backgroundOpacity(), 0.0, 1.0)));
    painter.fillPath(face, colour);
}

}  // namespace tavero
