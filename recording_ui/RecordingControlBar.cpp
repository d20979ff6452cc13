#include "recording_ui/RecordingControlBar.h"

#include "editor_ui/Announcer.h"
#include "platform/Fonts.h"
#include "recording/studio/RecordingStudio.h"
#include "recording_ui/RecordingActionButton.h"
#include "recording_ui/RecordingColours.h"
#include "recording_ui/RecordingWindowTexts.h"
#include "recording_ui/StatusDot.h"
#include "recording_ui/SymbolButton.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

namespace tavero {

namespace {

using Kind = RecordingPhase::Kind;

constexpr int itemSpacing = 14;
constexpr int sidePadding = 18;
constexpr double cornerRadius = 14;
constexpr double dotDiameter = 10;
constexpr double symbolSide = 16;
constexpr double detailOpacity = 0.75;
constexpr int minimumGap = 8;

QLabel* whiteLabel(double pixelSize, FontWeight weight, double opacity, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(Fonts::system(pixelSize, weight, parent->logicalDpiY()));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor::fromRgbF(1, 1, 1, float(opacity)));
    label->setPalette(palette);
    return label;
}

}  // namespace

RecordingControlBar::RecordingControlBar(RecordingStudio& studio, QWidget* parent)
    : QWidget(parent), studio_(&studio) {
    setFixedSize(width, height);
    setAttribute(Qt::WA_TranslucentBackground);
    buildRow();
    connect(&studio, &RecordingStudio::changed, this, &RecordingControlBar::refresh);
    connect(&studio, &RecordingStudio::phaseChanged, this, &RecordingControlBar::refresh);
    refresh();
}

void RecordingControlBar::buildRow() {
    dot_ = new StatusDot(dotDiameter, this);
    title_ = whiteLabel(15, FontWeight::semibold, 1, this);
    announcer_ = new Announcer(*this);
    detail_ = whiteLabel(10, FontWeight::regular, detailOpacity, this);
    elapsed_ = whiteLabel(19, FontWeight::medium, 1, this);

    portrait_ = new SymbolButton(QStringLiteral("person.crop.rectangle"), symbolSide, this);
    portrait_->setToolTip(QStringLiteral("人像全屏 / 返回屏幕"));
    portrait_->setAccessibleName(QStringLiteral("人像全屏 / 返回屏幕"));
    notes_ = new SymbolButton(QStringLiteral("text.alignleft"), symbolSide, this);
    notes_->setToolTip(QStringLiteral("显示或隐藏提词器"));
    notes_->setAccessibleName(QStringLiteral("提词器"));
    pause_ = new RecordingActionButton(QString(), {}, this);
    pause_->setToolTip(QStringLiteral("Ctrl+Shift+P · 暂停或继续，暂停时间不会进入视频。"));
    retake_ = new RecordingActionButton(QStringLiteral("重录"), {}, this);
    retake_->setSymbol(QStringLiteral("arrow.counterclockwise"));
    retake_->setToolTip(QStringLiteral("当前段移到废纸篓，按原设置倒数 3 秒重新录制；误点后可找回。"));
    stop_ = new RecordingActionButton(QString(), RecordingActionStyle{.prominent = true}, this);

    const auto call = [this](void (RecordingStudio::*action)()) {
        return [this, action] {
            if (studio_) (studio_->*action)();
        };
    };
    connect(portrait_, &SymbolButton::clicked, this, call(&RecordingStudio::togglePortraitFullScreen));
    connect(notes_, &SymbolButton::clicked, this, call(&RecordingStudio::toggleNotes));
    connect(pause_, &RecordingActionButton::clicked, this, call(&RecordingStudio::togglePause));
    connect(retake_, &RecordingActionButton::clicked, this, call(&RecordingStudio::restart));
    connect(stop_, &RecordingActionButton::clicked, this, call(&RecordingStudio::stop));

    auto* texts = new QVBoxLayout;
    texts->setSpacing(4);
    texts->addStretch(1);
    texts->addWidget(title_);
    texts->addWidget(detail_);
    texts->addStretch(1);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(sidePadding, 0, sidePadding, 0);
    row->setSpacing(itemSpacing);
    row->addWidget(dot_, 0, Qt::AlignVCenter);
    row->addLayout(texts);
    // Layouts leave no spacing beside a spacer: the gap is the spacer alone.
    row->addSpacerItem(new QSpacerItem(minimumGap, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));
    for (QWidget* item : std::initializer_list<QWidget*>{elapsed_, portrait_, notes_, pause_, retake_, stop_})
        row->addWidget(item, 0, Qt::AlignVCenter);
}

void RecordingControlBar::refresh() {
    if (!studio_) return;
    const RecordingPhase phase = studio_->phase();
    const bool fullScreen = studio_->cameraEnabled() && studio_->portrait().fullScreen;
    dot_->setColor(phase.kind() == Kind::recording ? RecordingColours::red() : RecordingColours::orange());
    title_->setText(RecordingWindowTexts::barTitle(phase, fullScreen, studio_->isRetaking()));
    announcer_->announce(title_->text());
    detail_->setText(RecordingWindowTexts::barDetail(phase, studio_->audioSummary()));
    elapsed_->setVisible(phase.hasRecorded());
    elapsed_->setText(RecordingWindowTexts::clock(studio_->elapsed()));
    refreshPortraitButton();
    refreshPauseButton();
    retake_->setEnabled(phase.canPauseOrResume());
    stop_->setText(RecordingWindowTexts::barStopTitle(phase));
    stop_->setEnabled(phase.kind() != Kind::stopping);
    stop_->updateGeometry();
}

void RecordingControlBar::refreshPortraitButton() {
    portrait_->setVisible(studio_->cameraEnabled() && studio_->scope() != RecordingScope::camera);
    portrait_->setSymbol(studio_->portrait().fullScreen ? QStringLiteral("rectangle.inset.filled")
                                                        : QStringLiteral("person.crop.rectangle"));
}

void RecordingControlBar::refreshPauseButton() {
    const RecordingPhase phase = studio_->phase();
    const bool paused = phase.kind() == Kind::paused;
    pause_->setText(phase.pauseTitle());
    pause_->setSymbol(paused ? QStringLiteral("play.fill") : QStringLiteral("pause.fill"));
    pause_->setActionStyle(RecordingActionStyle{.positive = paused});
    pause_->setEnabled(phase.canPauseOrResume());
}

QString RecordingControlBar::title() const { return title_->text(); }

QString RecordingControlBar::detail() const { return detail_->text(); }

QString RecordingControlBar::elapsedText() const { return elapsed_->isVisibleTo(this) ? elapsed_->text() : QString(); }

void RecordingControlBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath face;
    face.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    painter.fillPath(face, RecordingColours::barFace());
}

}  // namespace tavero
