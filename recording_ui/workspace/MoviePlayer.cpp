#include "recording_ui/workspace/MoviePlayer.h"

#include "editor_ui/EditorLook.h"
#include "editor_ui/FocusReturn.h"
#include "editor_ui/PanelLook.h"
#include "editor_ui/ShownValueSlider.h"
#include "platform/media/MoviePlayback.h"
#include "recording_ui/workspace/MoviePicture.h"

#include <QBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStyle>
#include <QToolButton>

#include <algorithm>
#include <limits>

namespace tavero {

namespace {

// "m:ss", or "h:mm:ss" in a video of an hour or more.
QString clock(qint64 milliseconds, qint64 duration) {
    const qint64 seconds = milliseconds / 1000;
    if (duration < 3'600'000) return QString::asprintf("%lld:%02lld", seconds / 60, seconds % 60);
    return QString::asprintf("%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
}

// Milliseconds one step of the slider stands for: one, or as many as keep a
// longer video's length within the slider's range.
qint64 sliderUnit(qint64 duration) {
    constexpr qint64 range = std::numeric_limits<int>::max();
    return std::max<qint64>(1, (duration + range - 1) / range);
}

}  // namespace

MoviePlayer::MoviePlayer(const QString& url, QWidget* parent) : QWidget(parent) {
    play_ = new QToolButton(this);
    play_->setAutoRaise(true);
    playEnabling_ = new FocusReturn(*play_);
    slider_ = new ShownValueSlider(this);
    slider_->setAccessibleName(QStringLiteral("播放进度"));
    countSliderIn(1);
    time_ = EditorLook::label(QString(), PanelLook::captionPoints, this);

    auto* controls = new QHBoxLayout;
    controls->addWidget(play_);
    controls->addWidget(slider_, 1);
    controls->addWidget(time_);
    picture_ = new MoviePicture(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(picture_, 1);
    layout->addLayout(controls);

    connect(play_, &QToolButton::clicked, this, &MoviePlayer::togglePlaying);
    connect(slider_, &QSlider::valueChanged, this, [this](int position) {
        if (playback_) playback_->seek(position * sliderUnit_);
    });
    setUrl(url);
}

MoviePlayer::~MoviePlayer() = default;

void MoviePlayer::setUrl(const QString& url) {
    if (resting_) {
        if (url != url_) restingPosition_ = 0;
        url_ = url;
        return;
    }
    if (playback_ && playback_->path() == url) return;
    open(url, 0);
}

void MoviePlayer::open(const QString& url, qint64 position) {
    // Silent before the next one starts, and no picture of the old one under
    // the new name, even when the new one cannot be played.
    release();
    url_ = url;
    playback_ = std::make_unique<media::MoviePlayback>(url, position);
    connect(playback_.get(), &media::MoviePlayback::changed, this, &MoviePlayer::showPlayback);
    picture_->showPlayback(playback_.get());
    showPlayback();
}

void MoviePlayer::release() {
    if (playback_) playback_->pause();
    picture_->showPlayback(nullptr);
    playback_.reset();
    resting_ = false;
    showPlayback();
}

void MoviePlayer::takeKeyboard() { playEnabling_->takeKeyboard(); }

// Keeps the file and the position.
void MoviePlayer::rest() {
    const qint64 position = playback_->position();
    release();
    resting_ = true;
    restingPosition_ = position;
}

// A minimised window (a spontaneous hide) keeps playing.
void MoviePlayer::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (!event->spontaneous() && playback_) rest();
}

void MoviePlayer::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!resting_) return;
    open(url_, restingPosition_);
}

void MoviePlayer::showPlayback() {
    const bool playable = playback_ && playback_->playable();
    const bool playing = playable && playback_->playing();
    playEnabling_->setEnabled(playable);
    slider_->setEnabled(playable);
    play_->setIcon(style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    const QString action = playing ? QStringLiteral("暂停") : QStringLiteral("播放");
    play_->setToolTip(action);
    // Every change is announced to screen readers, and this runs with every position.
    if (play_->accessibleName() != action) play_->setAccessibleName(action);
    const qint64 duration = playable ? playback_->duration() : 0;
    const qint64 position = playable ? std::min(playback_->position(), duration) : 0;
    // The slider follows the playback without seeking it.
    const QSignalBlocker quiet(slider_);
    if (sliderUnit(duration) != sliderUnit_) countSliderIn(sliderUnit(duration));
    slider_->setRange(0, int(duration / sliderUnit_));
    if (!slider_->isSliderDown()) slider_->setValue(int(position / sliderUnit_));
    time_->setText(clock(position, duration) + QStringLiteral(" / ") + clock(duration, duration));
}

// Read in the whole seconds of the time beside it: a second an arrow key,
// ten a page, as players step.
void MoviePlayer::countSliderIn(qint64 milliseconds) {
    sliderUnit_ = milliseconds;
    slider_->setUnitsPerShownValue(1000.0 / double(milliseconds));
    slider_->setShownStep(int(std::max<qint64>(1, 1000 / milliseconds)), ShownValueSlider::ShownRounding::down);
}

void MoviePlayer::togglePlaying() {
    if (!playback_) return;
    if (playback_->playing()) playback_->pause();
    else playback_->play();
}

}  // namespace tavero
