#include "recording_ui/workspace/VideoWorkspace.h"

#include "app/model/AppModel.h"
#include "editor_ui/EditorLook.h"
#include "editor_ui/ElidedLabel.h"
#include "editor_ui/PanelLook.h"
#include "platform/files/FileManager.h"
#include "recording/studio/RecordingStudio.h"
#include "recording_ui/workspace/MoviePlayer.h"

#include <QApplication>
#include <QBoxLayout>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include <limits>
#include <utility>

namespace tavero {

namespace {

constexpr int trimFieldWidth = 65;

QLabel* secondaryCaption(const QString& text, QWidget* parent) {
    QLabel* label = PanelLook::caption(text, parent);
    EditorLook::setTextColour(label, EditorLook::secondaryText(parent));
    return label;
}

QPushButton* button(const QString& text, QWidget* parent) { return EditorLook::defaultButton(text, QString(), parent); }

// None of the program's windows has the keyboard: the editor is hidden, as
// during a take.
bool windowAway() { return QApplication::activeWindow() == nullptr; }

}  // namespace

VideoWorkspace::VideoWorkspace(AppModel& model, RecordingStudio& studio, const QString& url, const QString& start,
                               const QString& end, EffectsPopover::EffectControls effectControls, QWidget* parent)
    : QWidget(parent), model_(model), studio_(studio), url_(url), effectControls_(std::move(effectControls)) {
    // Made top to bottom, which is the keyboard's order.
    QLayout* titleRow = makeTitleRow();
    player_ = new MoviePlayer(url, this);
    player_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(16);
    layout->addLayout(titleRow);
    layout->addWidget(player_, 1);
    layout->addWidget(makeProgressRow());
    layout->addWidget(makeVersionRow());
    layout->addLayout(makeTrimRow(start, end));
    footer_ = secondaryCaption(QString(), this);
    layout->addWidget(footer_, 0, Qt::AlignHCenter);

    connect(&studio, &RecordingStudio::changed, this, &VideoWorkspace::showStudio);
    connect(&studio, &RecordingStudio::processingChanged, this, &VideoWorkspace::showStudio);
    connect(&model, &AppModel::videoURLChanged, this, &VideoWorkspace::followModel);
    showStudio();
    playerTakesKeyboard_ = windowAway();
}

QLayout* VideoWorkspace::makeTitleRow() {
    title_ = new ElidedLabel(this);
    title_->setFont(EditorLook::font(this, 13, FontWeight::semibold));
    back_ = button(QStringLiteral("返回图片"), this);
    connect(back_, &QPushButton::clicked, this, [this] { model_.setVideoURL(std::nullopt); });
    auto* row = new QHBoxLayout;
    row->addWidget(title_, 1);
    row->addWidget(back_);
    return row;
}

QWidget* VideoWorkspace::makeProgressRow() {
    progressRow_ = new QWidget(this);
    progressLabel_ = PanelLook::caption(QString(), progressRow_);
    progressBar_ = new QProgressBar(progressRow_);
    progressBar_->setAccessibleName(QStringLiteral("讲解成片生成进度"));
    // In whole percent, so that screen readers read what the label shows.
    progressBar_->setRange(0, 100);
    progressBar_->setTextVisible(false);
    cancel_ = button(QStringLiteral("取消生成"), progressRow_);
    connect(cancel_, &QPushButton::clicked, this, [this] { studio_.cancelExport(); });

    auto* column = new QVBoxLayout;
    column->setSpacing(6);
    column->addWidget(progressLabel_);
    column->addWidget(progressBar_);
    auto* row = new QHBoxLayout(progressRow_);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(12);
    row->addLayout(column, 1);
    row->addWidget(cancel_);
    return progressRow_;
}

QWidget* VideoWorkspace::makeVersionRow() {
    versionRow_ = new QWidget(this);
    versionLabel_ = secondaryCaption(QString(), versionRow_);
    raw_ = button(QStringLiteral("查看原片"), versionRow_);
    finished_ = button(QStringLiteral("查看成片"), versionRow_);
    effects_ = button(QStringLiteral("画面效果"), versionRow_);
    connect(raw_, &QPushButton::clicked, this, [this] {
        if (auto raw = state_.rawToOffer(url_)) model_.switchVideo(*raw);
    });
    connect(finished_, &QPushButton::clicked, this, [this] {
        if (auto finished = state_.finishedToOffer(url_)) model_.switchVideo(*finished);
    });
    connect(effects_, &QPushButton::clicked, this, &VideoWorkspace::openEffects);

    auto* row = new QHBoxLayout(versionRow_);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(versionLabel_);
    row->addStretch();
    for (QPushButton* choice : {raw_, finished_, effects_}) row->addWidget(choice);
    return versionRow_;
}

QLayout* VideoWorkspace::makeTrimRow(const QString& start, const QString& end) {
    // Screen readers read the name: the number the field holds hides its placeholder.
    const auto field = [this](const QString& text, const QString& placeholder, const QString& name) {
        auto* edit = new QLineEdit(text, this);
        edit->setPlaceholderText(placeholder);
        edit->setAccessibleName(name);
        edit->setFixedWidth(trimFieldWidth);
        return edit;
    };
    start_ = field(start, QStringLiteral("开始"), QStringLiteral("裁剪开始秒数"));
    end_ = field(end, QStringLiteral("结束"), QStringLiteral("裁剪结束秒数"));
    trim_ = button(QStringLiteral("另存片段"), this);
    gif_ = button(QStringLiteral("导出 GIF"), this);
    gif_->setToolTip(QStringLiteral("30 秒以内，8 帧/秒，最长边 960 像素"));
    reveal_ = button(QStringLiteral("显示文件"), this);
    connect(trim_, &QPushButton::clicked, this, &VideoWorkspace::saveTrim);
    connect(gif_, &QPushButton::clicked, this, [this] { model_.exportGIF(); });
    connect(reveal_, &QPushButton::clicked, this, [this] { showInFileManager(url_); });

    auto* row = new QHBoxLayout;
    row->addWidget(PanelLook::caption(QStringLiteral("裁剪 / 秒"), this));
    row->addWidget(start_);
    row->addWidget(new QLabel(QStringLiteral("—"), this));
    row->addWidget(end_);
    row->addWidget(trim_);
    row->addStretch();
    row->addWidget(gif_);
    row->addWidget(reveal_);
    return row;
}

void VideoWorkspace::showStudio() { showState(WorkspaceState::of(studio_)); }

void VideoWorkspace::showState(const WorkspaceState& state) {
    state_ = state;
    title_->setText(QFileInfo(url_).fileName());
    progressRow_->setVisible(state.processing);
    progressLabel_->setText(state.progressText());
    progressBar_->setValue(state.progressPercent());

    versionRow_->setVisible(state.versionRowVisible(url_));
    versionLabel_->setText(state.versionText(url_));
    showVersionChoices(state.rawToOffer(url_).has_value(), state.finishedToOffer(url_).has_value());
    effects_->setVisible(!state.portraitBaked());
    effects_->setEnabled(!state.processing);
    footer_->setText(state.footer());
}

// 查看原片 and 查看成片 take each other's place: the keyboard on the one that
// goes moves to the one that comes, not on to the next control.
void VideoWorkspace::showVersionChoices(bool raw, bool finished) {
    QPushButton* focused = raw_->hasFocus() ? raw_ : finished_->hasFocus() ? finished_ : nullptr;
    if (raw) raw_->show();
    if (finished) finished_->show();
    const bool focusedGoes = focused && !(focused == raw_ ? raw : finished);
    QPushButton* other = focused == raw_ ? finished_ : raw_;
    if (focusedGoes && !other->isHidden()) other->setFocus(Qt::OtherFocusReason);
    raw_->setVisible(raw);
    finished_->setVisible(finished);
}

// A video is shown while the window is away (a take just ended): the window
// comes back with the keyboard on 播放, once the video can be played, and
// on nothing else before. The first video waits for this workspace to be
// in its window.
void VideoWorkspace::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (std::exchange(playerTakesKeyboard_, false)) player_->takeKeyboard();
}

// A later video of the model is shown here; none lets the playback go at
// once, before the window drops this workspace.
void VideoWorkspace::followModel() {
    const std::optional<QString>& video = model_.videoURL();
    if (!video) return player_->release();
    url_ = *video;
    player_->setUrl(url_);
    if (windowAway()) player_->takeKeyboard();
    showStudio();
}

void VideoWorkspace::openEffects() {
    if (popover_) return;
    popover_ = new EffectsPopover(studio_, effectControls_, this);
    connect(popover_, &EffectsPopover::closed, popover_, &QObject::deleteLater);
    popover_->showBelow(*effects_);
}

// A text that is no number goes to the model as NaN, which it refuses as
// it refuses any range it cannot cut.
void VideoWorkspace::saveTrim() {
    constexpr double noNumber = std::numeric_limits<double>::quiet_NaN();
    model_.trimVideo(trimSeconds(start_->text()).value_or(noNumber), trimSeconds(end_->text()).value_or(noNumber));
}

}  // namespace tavero
